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
bool dot_is_keyword(const symbol *sym) {
  static constexpr std::string_view keywords[] = {"node",    "edge",     "graph",
                                                  "digraph", "subgraph", "strict"};
  std::string_view name(sym->s_name, static_cast<size_t>(sym->s_namelen));
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
  for (char c : name) {
    if (c == '"' || c == '\\') dot_view(out, "\\");
    out_write(out, &c, 1);
  }
}

// The node id of -p: the name, quoted and escaped unless it is plain. Data
// labels take "_var" after their name; so that no function can take the id
// of one, a function whose name already ends in "_var" (and underscores)
// takes one more underscore.
void dot_precise_id(out_buffer *out, const symbol *sym) {
  std::string_view name(sym->s_name, static_cast<size_t>(sym->s_namelen));
  std::string_view base = name.substr(0, name.find_last_not_of('_') + 1);
  std::string_view suffix;
  if (!sym->s_func) {
    suffix = "_var";
  } else if (base.ends_with("_var")) {
    suffix = "_";
  }
  if (dot_plain(name) && (!suffix.empty() || !dot_is_keyword(sym))) {
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
void dot_id(out_buffer *out, const write_options &opts, const symbol *sym) {
  if (opts.quote_ids) return dot_precise_id(out, sym);
  std::string_view name(sym->s_name, static_cast<size_t>(sym->s_namelen));
  if (!sym->s_func) {
    dot_view(out, name);
    dot_view(out, "_var");
  } else if (dot_is_keyword(sym)) {
    dot_view(out, "\"");
    dot_view(out, name);
    dot_view(out, "\"");
  } else {
    dot_view(out, name);
  }
}

// Writes the edges from `sym` to every visible symbol of `list`, numbered 1, 2, ...
void dot_edges(const write_options &opts, out_buffer *out, const symbol *sym, const edge *list) {
  int64_t label = 0;
  for (const edge *e = list; e != nullptr; e = e->e_next) {
    if (sym_hidden(opts, e->e_sym)) continue;
    dot_view(out, "  ");
    dot_id(out, opts, sym);
    dot_view(out, " -> ");
    dot_id(out, opts, e->e_sym);
    dot_view(out, " [label=\"");
    out_num(out, ++label, 0);
    dot_view(out, "\"];\n");
  }
}

// One node line for every visible symbol that `run` marked; with no run,
// for every visible symbol.
void dot_nodes(const call_graph *graph, const write_options &opts, out_buffer *out,
               const walk_run *run) {
  for (const symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
    if (sym_hidden(opts, sym) || (run != nullptr && !walk_marked(*run, sym))) continue;
    dot_view(out, "  ");
    dot_id(out, opts, sym);
    dot_view(out, " [label=\"");
    std::string_view name(sym->s_name, static_cast<size_t>(sym->s_namelen));
    // Under -p a name may hold quotes and backslashes; the label escapes them.
    if (opts.quote_ids) {
      dot_escaped(out, name);
    } else {
      dot_view(out, name);
    }
    dot_view(out, sym->s_func ? "\"];\n" : "\",shape=box];\n");
  }
}

// Every visible symbol in name order, with edges to its callers one level deep.
void dot_reverse(const call_graph *graph, const write_options &opts, out_buffer *out,
                 const sorted_entry *table) {
  if (opts.max_depth <= 0) return;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol *sym = table[i].sym;
    if (!sym_hidden(opts, sym)) dot_edges(opts, out, sym, sym->s_callers);
  }
}

// Every visible symbol reached from the root, or from every symbol not yet
// reached when no symbol bears the root name, with edges to its callees.
void dot_forward(const call_graph *graph, const write_options &opts, out_buffer *out,
                 walk_run *run) {
  // A symbol's edges are written once, at its first visit; a symbol first
  // met at the depth limit is marked there without its edges, so they are
  // not written where it recurs higher up either.
  auto visit = [&](const symbol *sym, int64_t depth, int64_t) -> std::optional<int64_t> {
    if (sym_hidden(opts, sym) || walk_marked(*run, sym)) return std::nullopt;
    walk_mark(run, sym);
    if (depth >= opts.max_depth || sym->s_callees == nullptr) return std::nullopt;
    dot_edges(opts, out, sym, sym->s_callees);
    return 0;
  };
  if (const symbol *root = sym_lookup(graph, opts.root_name)) {
    walk_forward(run, root, 0, visit);
  } else {
    for (const symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
      if (!walk_marked(*run, sym)) walk_forward(run, sym, 0, visit);
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
