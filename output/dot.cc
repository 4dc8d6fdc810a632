// The Graphviz digraph: edge lines in walk order, then one node line for
// every symbol the walk reached.
#include <string_view>

#include "memory/memory.h"
#include "output/shared.h"

namespace {
// The name of every digraph. It reads like a placeholder, and it is one that
// the tool has always written: scripts match the header, so it stays.
constexpr std::string_view DOT_GRAPH_NAME = "TODO";

// True for names that Graphviz reads as keywords, whatever their case; such a
// name must be quoted to be a node id at all. The case is folded in ASCII
// only, like the DOT keywords themselves: strcasecmp would follow the
// locale, and in a Turkish one "DIGRAPH" would go out unquoted.
bool dot_is_keyword(std::string_view name) {
  static constexpr std::string_view keywords[] = {"node",    "edge",     "graph",
                                                  "digraph", "subgraph", "strict"};
  for (std::string_view k : keywords) {
    if (name.size() != k.size()) continue;
    size_t i = 0;
    while (i < k.size() && (name[i] == k[i] || name[i] == k[i] - 'a' + 'A'))
      ++i;
    if (i == k.size()) return true;
  }
  return false;
}

void dot_view(out_buffer *out, std::string_view s) {
  out_write(out, s.data(), s.size());
}

std::string_view dot_name(const call_graph *graph, const symbol &sym) {
  return {sym_name(graph, sym), sym.s_namelen};
}

// True when Graphviz takes `name` as an id without quotes: ASCII letters,
// digits and underscores, not beginning with a digit.
bool dot_plain(std::string_view name) {
  static const struct plain_chars {
    bool is[256] = {};
    plain_chars() {
      for (int c = 0; c < 256; ++c)
        is[c] =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }
  } plain;
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name) {
    if (!plain.is[static_cast<unsigned char>(c)]) return false;
  }
  return true;
}

// Writes `name` for the inside of a quoted string.
void dot_escaped(out_buffer *out, std::string_view name) {
  // Most names hold neither character: write the runs between them whole.
  for (size_t at; (at = name.find_first_of("\"\\")) != std::string_view::npos;) {
    dot_view(out, name.substr(0, at));
    dot_view(out, "\\");
    dot_view(out, name.substr(at, 1));
    name.remove_prefix(at + 1);
  }
  dot_view(out, name);
}

// The node id of -p: the name, quoted and escaped unless it is plain. Data
// labels take "_var" after their name; so that no function can take the id
// of one, a function whose name already ends in "_var" (and underscores)
// takes one more underscore.
void dot_precise_id(const call_graph *graph, out_buffer *out, const symbol &sym) {
  std::string_view name = dot_name(graph, sym);
  std::string_view base = name.substr(0, name.find_last_not_of('_') + 1);
  std::string_view suffix;
  if (!sym.s_func) {
    suffix = "_var";
  } else if (base.ends_with("_var")) {
    suffix = "_";
  }
  if (dot_plain(name) && (!suffix.empty() || !dot_is_keyword(name))) {
    dot_view(out, name);
    dot_view(out, suffix);
    return;
  }
  dot_view(out, "\"");
  dot_escaped(out, name);
  dot_view(out, suffix);
  dot_view(out, "\"");
}

// The node id of `sym` without -p: its name, between quotes when it is a
// keyword, or followed by "_var" for a data label.
struct dot_simple_id {
  std::string_view open, name, close;
  size_t size() const { return open.size() + name.size() + close.size(); }
};

dot_simple_id dot_simple(const call_graph *graph, const symbol &sym) {
  std::string_view name = dot_name(graph, sym);
  if (!sym.s_func) return {"", name, "_var"};
  if (dot_is_keyword(name)) return {"\"", name, "\""};
  return {"", name, ""};
}

char *dot_put(char *p, std::string_view s) {
  return out_put(p, s.data(), s.size());
}

char *dot_put(char *p, const dot_simple_id &id) {
  return dot_put(dot_put(dot_put(p, id.open), id.name), id.close);
}

void dot_view(out_buffer *out, const dot_simple_id &id) {
  dot_view(out, id.open);
  dot_view(out, id.name);
  dot_view(out, id.close);
}

// Writes the node id of `sym`.
void dot_id(const call_graph *graph, const write_options &opts, out_buffer *out,
            const symbol &sym) {
  if (opts.quote_ids) return dot_precise_id(graph, out, sym);
  dot_view(out, dot_simple(graph, sym));
}

// Writes the edges from `sym` to `other`, numbered `label`; `from` is the
// id of `sym` when it is a simple one.
void dot_edge(const call_graph *graph, const write_options &opts, out_buffer *out,
              const symbol &sym, const dot_simple_id &from, const symbol &other, int64_t label) {
  if (!opts.quote_ids) {
    dot_simple_id to = dot_simple(graph, other);
    // "  ", the ids with " -> " between them, " [label=\"", the number, "\"];\n".
    size_t most = 2 + from.size() + 4 + to.size() + 9 + 20 + 4;
    if (most <= OUT_RUN_MAX) {
      char *p = dot_put(out_room(out, most), "  ");
      p = dot_put(dot_put(dot_put(p, from), " -> "), to);
      p = out_put_num(dot_put(p, " [label=\""), label);
      out_commit(out, dot_put(p, "\"];\n"));
      return;
    }
  }
  dot_view(out, "  ");
  dot_id(graph, opts, out, sym);
  dot_view(out, " -> ");
  dot_id(graph, opts, out, other);
  dot_view(out, " [label=\"");
  out_num(out, label, 0);
  dot_view(out, "\"];\n");
}

// Writes the edges from `sym` to every visible symbol of `list`, numbered 1, 2, ...
void dot_edges(const call_graph *graph, const write_options &opts, out_buffer *out,
               const symbol &sym, cell_id list) {
  const symbol *syms = graph->cg_syms;
  const edge *cells = graph->cg_cells;
  dot_simple_id from = opts.quote_ids ? dot_simple_id{} : dot_simple(graph, sym);
  int64_t label = 0;
  // A few entries at a time: their records, then their names, are asked
  // for before the first is written.
  sym_id batch[16];
  for (cell_id c = list; c != CELL_NONE;) {
    int n = 0;
    for (; c != CELL_NONE && n < 16; c = cells[c].e_next) {
      batch[n] = cells[c].e_sym;
      __builtin_prefetch(&syms[batch[n++]]);
    }
    for (int k = 0; k < n; ++k)
      __builtin_prefetch(sym_name(graph, syms[batch[k]]));
    for (int k = 0; k < n; ++k) {
      const symbol &other = syms[batch[k]];
      if (!sym_hidden(opts, other)) dot_edge(graph, opts, out, sym, from, other, ++label);
    }
  }
}

// One node line for every visible symbol that `run` marked; with no run,
// for every visible symbol.
void dot_nodes(const call_graph *graph, const write_options &opts, out_buffer *out,
               const walk_run *run) {
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol &sym = graph->cg_syms[i];
    if (sym_hidden(opts, sym) || (run != nullptr && !walk_marked(*run, static_cast<sym_id>(i)))) {
      continue;
    }
    std::string_view tail = sym.s_func ? "\"];\n" : "\",shape=box];\n";
    if (!opts.quote_ids) {
      dot_simple_id id = dot_simple(graph, sym);
      // "  ", the id, " [label=\"", the name and the tail.
      size_t most = 2 + id.size() + 9 + id.name.size() + tail.size();
      if (most <= OUT_RUN_MAX) {
        char *p = dot_put(dot_put(dot_put(out_room(out, most), "  "), id), " [label=\"");
        out_commit(out, dot_put(dot_put(p, id.name), tail));
        continue;
      }
    }
    dot_view(out, "  ");
    dot_id(graph, opts, out, sym);
    dot_view(out, " [label=\"");
    // Under -p a name may hold quotes and backslashes; the label escapes them.
    if (opts.quote_ids) {
      dot_escaped(out, dot_name(graph, sym));
    } else {
      dot_view(out, dot_name(graph, sym));
    }
    dot_view(out, tail);
  }
}

// Every visible symbol in name order, with edges to its callers one level deep.
void dot_reverse(const call_graph *graph, const write_options &opts, out_buffer *out,
                 const sorted_entry *table) {
  if (opts.max_depth <= 0) return;
  reverse_item items[REVERSE_BATCH];
  for (int64_t i = 0; i < graph->cg_nsyms;) {
    int n = reverse_gather(graph, table, i, true, items);
    i += n;
    for (int k = 0; k < n; ++k) {
      const symbol &sym = graph->cg_syms[items[k].sym];
      if (sym_hidden(opts, sym)) continue;
      dot_simple_id from = opts.quote_ids ? dot_simple_id{} : dot_simple(graph, sym);
      int64_t label = 0;
      reverse_callers(graph, items[k], [&](sym_id id) {
        const symbol &caller = graph->cg_syms[id];
        if (!sym_hidden(opts, caller)) dot_edge(graph, opts, out, sym, from, caller, ++label);
      });
    }
  }
}

// Every visible symbol reached from the root, or from every symbol not yet
// reached when no symbol bears the root name, with edges to its callees.
void dot_forward(const call_graph *graph, const write_options &opts, out_buffer *out,
                 walk_run *run) {
  // A symbol's edges are written once, at its first visit; a symbol first
  // met at the depth limit is marked there without its edges, so they are
  // not written where it recurs higher up either.
  auto visit = [&](sym_id id, int64_t depth, int64_t) -> std::optional<int64_t> {
    const symbol &sym = graph->cg_syms[id];
    if (sym_hidden(opts, sym) || walk_marked(*run, id)) return std::nullopt;
    walk_mark(run, id);
    if (depth >= opts.max_depth || sym.s_callees == CELL_NONE) return std::nullopt;
    dot_edges(graph, opts, out, sym, sym.s_callees);
    return 0;
  };
  if (sym_id root = sym_lookup(graph, opts.root_name); root != SYM_NONE) {
    walk_forward(run, graph, root, 0, visit);
  } else {
    for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
      sym_id id = static_cast<sym_id>(i);
      if (!walk_marked(*run, id)) walk_forward(run, graph, id, 0, visit);
    }
  }
}
}  // namespace

bool print_dot(const call_graph *graph, const write_options &opts, out_buffer *out) {
  sorted_entry *table = nullptr;
  walk_run run{};
  if (opts.reverse) {
    table = sym_sorted_table(graph);
    if (table == nullptr) return false;
  } else if (!walk_begin(&run, graph, opts)) {
    return false;
  }
  dot_view(out, "digraph \"");
  dot_view(out, DOT_GRAPH_NAME);
  dot_view(out, "\" {\n");
  if (opts.reverse) {
    dot_reverse(graph, opts, out, table);
  } else {
    dot_forward(graph, opts, out, &run);
  }
  // In reverse every visible symbol is the source of its own edges, so every
  // one gets a node line.
  dot_nodes(graph, opts, out, opts.reverse ? nullptr : &run);
  mem_free(table);
  walk_end(&run);
  dot_view(out, "}\n");
  return true;
}
