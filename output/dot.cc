// The Graphviz digraph: edge lines in walk order, then one node line for
// every symbol the walk reached.
#include <string_view>

#include "graph/memory.h"
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

// Writes the node id of `sym`.
void dot_id(const call_graph *graph, const write_options &opts, out_buffer *out,
            const symbol &sym) {
  if (opts.quote_ids) return dot_precise_id(graph, out, sym);
  std::string_view name = dot_name(graph, sym);
  if (!sym.s_func) {
    dot_view(out, name);
    dot_view(out, "_var");
  } else if (dot_is_keyword(name)) {
    dot_view(out, "\"");
    dot_view(out, name);
    dot_view(out, "\"");
  } else {
    dot_view(out, name);
  }
}

// Writes the edges from `sym` to every visible symbol of `list`, numbered 1, 2, ...
void dot_edges(const call_graph *graph, const write_options &opts, out_buffer *out,
               const symbol &sym, cell_id list) {
  int64_t label = 0;
  for (cell_id c = list; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
    const symbol &other = graph->cg_syms[graph->cg_cells[c].e_sym];
    if (sym_hidden(opts, other)) continue;
    dot_view(out, "  ");
    dot_id(graph, opts, out, sym);
    dot_view(out, " -> ");
    dot_id(graph, opts, out, other);
    dot_view(out, " [label=\"");
    out_num(out, ++label, 0);
    dot_view(out, "\"];\n");
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
    dot_view(out, "  ");
    dot_id(graph, opts, out, sym);
    dot_view(out, " [label=\"");
    // Under -p a name may hold quotes and backslashes; the label escapes them.
    if (opts.quote_ids) {
      dot_escaped(out, dot_name(graph, sym));
    } else {
      dot_view(out, dot_name(graph, sym));
    }
    dot_view(out, sym.s_func ? "\"];\n" : "\",shape=box];\n");
  }
}

// Every visible symbol in name order, with edges to its callers one level deep.
void dot_reverse(const call_graph *graph, const write_options &opts, out_buffer *out,
                 const sorted_entry *table) {
  if (opts.max_depth <= 0) return;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol &sym = graph->cg_syms[table[i].sym];
    if (!sym_hidden(opts, sym)) dot_edges(graph, opts, out, sym, sym.s_callers);
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
