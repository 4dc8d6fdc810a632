// The Graphviz digraph: edge lines in walk order, then one node line for
// every symbol the walk reached.
#include <string_view>

#include "memory/memory.h"
#include "output/names.h"
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
// takes one more underscore. A symbol local to its file (a static) has the
// file and a colon before it, as a debugger names it, so that two of one
// name in two files stay two nodes.
void dot_precise_id(const call_graph *graph, out_buffer *out, const symbol &sym) {
  std::string_view name = dot_name(graph, sym);
  std::string_view base = name.substr(0, name.find_last_not_of('_') + 1);
  std::string_view suffix;
  if (!sym.s_func) {
    suffix = "_var";
  } else if (base.ends_with("_var")) {
    suffix = "_";
  }
  if (dot_plain(name) && !sym.s_local && (!suffix.empty() || !dot_is_keyword(name))) {
    dot_view(out, name);
    dot_view(out, suffix);
    return;
  }
  dot_view(out, "\"");
  if (sym.s_local) {
    dot_escaped(out, sym.s_file);
    dot_view(out, ":");
  }
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
void dot_id(const call_graph *graph, const dot_options &dot, out_buffer *out, const symbol &sym) {
  if (dot.quote_ids) return dot_precise_id(graph, out, sym);
  dot_view(out, dot_simple(graph, sym));
}

// Writes the edges from `sym` to `other`, numbered `label`; `from` is the
// id of `sym` when it is a simple one.
void dot_edge(const call_graph *graph, const dot_options &dot, out_buffer *out, const symbol &sym,
              const dot_simple_id &from, const symbol &other, int64_t label) {
  if (!dot.quote_ids) {
    dot_simple_id to = dot_simple(graph, other);
    // "  ", the ids with " -> " between them, " [label=\"", the number, "\"];\n".
    size_t most = 2 + from.size() + 4 + to.size() + 9 + 20 + 4;
    if (most <= OUT_RUN_MAX) {
      char *p = dot_put(out_room(out, most), "  ");
      p = dot_put(dot_put(dot_put(p, from), " -> "), to);
      if (!dot.edge_labels) return out_commit(out, dot_put(p, ";\n"));
      p = out_put_num(dot_put(p, " [label=\""), label);
      out_commit(out, dot_put(p, "\"];\n"));
      return;
    }
  }
  dot_view(out, "  ");
  dot_id(graph, dot, out, sym);
  dot_view(out, " -> ");
  dot_id(graph, dot, out, other);
  if (!dot.edge_labels) return dot_view(out, ";\n");
  dot_view(out, " [label=\"");
  out_num(out, label, 0);
  dot_view(out, "\"];\n");
}

// The node line of `id`, after `indent`; its label is the name shown.
void dot_node(const shown_names &names, const dot_options &dot, out_buffer *out, sym_id id,
              std::string_view indent) {
  const call_graph *graph = names.graph;
  const symbol &sym = graph->cg_syms[id];
  std::string_view tail = sym.s_func ? "\"];\n" : "\",shape=box];\n";
  if (!dot.quote_ids && names.views == nullptr) {
    dot_simple_id simple = dot_simple(graph, sym);
    // The indent, the id, " [label=\"", the name and the tail.
    size_t most = indent.size() + simple.size() + 9 + simple.name.size() + tail.size();
    if (most <= OUT_RUN_MAX) {
      char *p = dot_put(dot_put(dot_put(out_room(out, most), indent), simple), " [label=\"");
      out_commit(out, dot_put(dot_put(p, simple.name), tail));
      return;
    }
  }
  dot_view(out, indent);
  dot_id(graph, dot, out, sym);
  dot_view(out, " [label=\"");
  // Under -p a name may hold quotes and backslashes; the label escapes them.
  if (dot.quote_ids) {
    dot_escaped(out, name_shown(names, id));
  } else {
    dot_view(out, name_shown(names, id));
  }
  dot_view(out, tail);
}

// One node line for every symbol that the walk reached, in list order.
void dot_nodes(const walk_plan &plan, const shown_names &names, const dot_options &dot,
               out_buffer *out) {
  for (int64_t i = 0; i < plan.graph->cg_nsyms; ++i) {
    if (plan_reached(plan, static_cast<sym_id>(i))) dot_node(names, dot, out, i, "  ");
  }
}

// The node lines with the symbols of each file in a cluster of its own, the
// files in the order read and the symbols in list order; the names that no
// file defines come after the clusters. `places` has room for every symbol,
// `order` is from file_order.
void dot_clusters(const walk_plan &plan, const shown_names &names, const dot_options &dot,
                  out_buffer *out, file_place *places, const uint32_t *order) {
  const call_graph *graph = plan.graph;
  size_t n = 0;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    sym_id id = static_cast<sym_id>(i);
    if (plan_reached(plan, id) && graph->cg_syms[id].s_line != -1) places[n++] = {0, id};
  }
  place_by_file(graph, *plan.opts, order, places, n, false);
  int64_t cluster = 0;
  for (size_t i = 0; i < n;) {
    const char *file = graph->cg_syms[places[i].sym].s_file;
    dot_view(out, "  subgraph cluster_");
    out_num(out, cluster++, 0);
    dot_view(out, " {\n    label=\"");
    dot_escaped(out, file);
    dot_view(out, "\";\n");
    for (; i < n && graph->cg_syms[places[i].sym].s_file == file; ++i)
      dot_node(names, dot, out, places[i].sym, "    ");
    dot_view(out, "  }\n");
  }
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    sym_id id = static_cast<sym_id>(i);
    if (plan_reached(plan, id) && graph->cg_syms[id].s_line == -1) {
      dot_node(names, dot, out, id, "  ");
    }
  }
}

// The digraph's side of the walk plan: the edges of every symbol expanded
// (forward) or of every source (reverse), numbered from 1 for each.
struct dot_writer {
  const call_graph *graph;
  const write_options &opts;
  const dot_options &dot;
  out_buffer *out;
  dot_simple_id from = {};
  int64_t label = 0;

  int64_t top(sym_id, bool) { return 0; }
  void meet(sym_id, int64_t, int64_t, bool) {}
  // A symbol's edges are written once, at its first visit.
  int64_t expand(sym_id id, int64_t, int64_t) {
    const symbol &sym = graph->cg_syms[id];
    dot_simple_id from_id = dot.quote_ids ? dot_simple_id{} : dot_simple(graph, sym);
    int64_t n = 0;
    plan_each_visible(graph, opts, sym.s_callees, [&](sym_id to) {
      dot_edge(graph, dot, out, sym, from_id, graph->cg_syms[to], ++n);
    });
    return 0;
  }
  void source(const reverse_item &item) {
    from = dot.quote_ids ? dot_simple_id{} : dot_simple(graph, graph->cg_syms[item.sym]);
    label = 0;
  }
  void caller(const reverse_item &item, sym_id id) {
    dot_edge(graph, dot, out, graph->cg_syms[item.sym], from, graph->cg_syms[id], ++label);
  }
};

// What the digraph holds besides the walk: the shown names, and for the
// clusters a place for every symbol and the order of the files.
struct dot_means {
  shown_names names;
  file_place *places;
  uint32_t *order;
};

void dot_release(dot_means *m) {
  names_end(&m->names);
  mem_free(m->places);
  mem_free(m->order);
}

bool dot_acquire(dot_means *m, const call_graph *graph, const write_options &opts,
                 const dot_options &dot) {
  *m = dot_means{};
  bool ok = names_begin(&m->names, graph, opts.short_names);
  if (ok && dot.clusters) {
    m->places = static_cast<file_place *>(mem_alloc(graph->cg_nsyms * sizeof(file_place) + 1));
    ok = m->places != nullptr && (m->order = file_order(opts)) != nullptr;
  }
  if (!ok) dot_release(m);
  return ok;
}
}  // namespace

bool print_dot(const call_graph *graph, const write_options &opts, const dot_options &dot,
               out_buffer *out) {
  dot_means means;
  if (!dot_acquire(&means, graph, opts, dot)) return false;
  walk_plan plan;
  if (!plan_begin(&plan, graph, opts)) {
    dot_release(&means);
    return false;
  }
  dot_view(out, "digraph \"");
  dot_view(out, DOT_GRAPH_NAME);
  dot_view(out, "\" {\n");
  dot_writer w{graph, opts, dot, out};
  if (opts.reverse) {
    plan_reverse(&plan, w);
  } else {
    plan_forward(&plan, w);
  }
  // In reverse every visible symbol is the source of its own edges, so every
  // one gets a node line.
  if (dot.clusters) {
    dot_clusters(plan, means.names, dot, out, means.places, means.order);
  } else {
    dot_nodes(plan, means.names, dot, out);
  }
  plan_end(&plan);
  dot_release(&means);
  dot_view(out, "}\n");
  return true;
}
