// The Graphviz digraph: edge lines in walk order, then one node line for
// every symbol the walk reached.
#include <cstring>

#include "graph/memory.h"
#include "output/writers.h"

namespace {
// True for names that Graphviz reads as keywords, whatever their case; such a
// name must be quoted to be a node id at all. The case is folded in ASCII
// only, like the DOT keywords themselves: strcasecmp would follow the
// locale, and in a Turkish one "DIGRAPH" would go out unquoted.
bool dot_is_keyword(const symbol *sym) {
  static const char *const keywords[] = {"node", "edge", "graph", "digraph", "subgraph", "strict"};
  for (const char *k : keywords) {
    const char *n = sym->s_name;
    while (*k != '\0' && (*n == *k || *n == *k - 'a' + 'A')) {
      ++n;
      ++k;
    }
    if (*k == '\0' && *n == '\0') return true;
  }
  return false;
}

// True when Graphviz takes `name` as an id without quotes: ASCII letters,
// digits and underscores, not beginning with a digit.
bool dot_plain(const char *name, size_t len) {
  static const struct plain_chars {
    bool is[256] = {};
    plain_chars() {
      for (int c = 0; c < 256; ++c)
        is[c] =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }
  } plain;
  if (len == 0 || (name[0] >= '0' && name[0] <= '9')) return false;
  for (size_t i = 0; i < len; ++i) {
    if (!plain.is[static_cast<unsigned char>(name[i])]) return false;
  }
  return true;
}

// Writes `name` for the inside of a quoted string.
void dot_escaped(out_buffer *out, const char *name, size_t len) {
  for (size_t i = 0; i < len; ++i) {
    if (name[i] == '"' || name[i] == '\\') out_write(out, "\\", 1);
    out_write(out, name + i, 1);
  }
}

// The node id of -p: the name, quoted and escaped unless it is plain. Data
// labels take "_var" after their name; so that no function can take the id
// of one, a function whose name already ends in "_var" (and underscores)
// takes one more underscore.
void dot_precise_id(out_buffer *out, const symbol *sym) {
  const char *name = sym->s_name;
  size_t len = static_cast<size_t>(sym->s_namelen);
  size_t base = len;
  while (base > 0 && name[base - 1] == '_')
    --base;
  const char *suffix = "";
  if (!sym->s_func) {
    suffix = "_var";
  } else if (base >= 4 && std::memcmp(name + base - 4, "_var", 4) == 0) {
    suffix = "_";
  }
  if (dot_plain(name, len) && (*suffix != '\0' || !dot_is_keyword(sym))) {
    out_write(out, name, len);
    out_str(out, suffix);
    return;
  }
  out_write(out, "\"", 1);
  dot_escaped(out, name, len);
  out_str(out, suffix);
  out_write(out, "\"", 1);
}

// Writes the node id of `sym`.
void dot_id(out_buffer *out, const call_graph *graph, const symbol *sym) {
  if (graph->cg_quote_ids) return dot_precise_id(out, sym);
  size_t len = static_cast<size_t>(sym->s_namelen);
  if (!sym->s_func) {
    out_write(out, sym->s_name, len);
    out_write(out, "_var", 4);
  } else if (dot_is_keyword(sym)) {
    out_write(out, "\"", 1);
    out_write(out, sym->s_name, len);
    out_write(out, "\"", 1);
  } else {
    out_write(out, sym->s_name, len);
  }
}

void dot_edge(const call_graph *graph, out_buffer *out, const symbol *from, const symbol *to,
              int64_t label) {
  out_write(out, "  ", 2);
  dot_id(out, graph, from);
  out_write(out, " -> ", 4);
  dot_id(out, graph, to);
  out_write(out, " [label=\"", 9);
  out_num(out, label, 0);
  out_write(out, "\"];\n", 4);
}

// Writes the edges from `sym` to every visible symbol of `list`, numbered 1, 2, ...
void dot_edges(const call_graph *graph, out_buffer *out, const symbol *sym, const edge *list) {
  int64_t label = 0;
  for (const edge *e = list; e != nullptr; e = e->e_next) {
    if (!sym_hidden(graph, e->e_sym)) dot_edge(graph, out, sym, e->e_sym, ++label);
  }
}

struct dot_ctx {
  const call_graph *graph;
  out_buffer *out;
};

// Marks `sym` and writes its edges at its first visit; returns true when its
// callees are to be walked next.
bool dot_visit(void *arg, symbol *sym, int64_t depth, int64_t, int64_t *) {
  const dot_ctx *ctx = static_cast<const dot_ctx *>(arg);
  if (sym_hidden(ctx->graph, sym) || sym->s_seen) return false;
  sym->s_seen = 1;
  if (depth >= ctx->graph->cg_maxdepth || sym->s_callees == nullptr) return false;
  dot_edges(ctx->graph, ctx->out, sym, sym->s_callees);
  return true;
}

// The label of a node: the name, escaped under -p like the id.
void dot_label(out_buffer *out, const call_graph *graph, const symbol *sym) {
  size_t len = static_cast<size_t>(sym->s_namelen);
  if (!graph->cg_quote_ids) return out_write(out, sym->s_name, len);
  dot_escaped(out, sym->s_name, len);
}

void dot_nodes(const call_graph *graph, out_buffer *out) {
  for (const symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
    if (sym_hidden(graph, sym) || !sym->s_seen) continue;
    out_write(out, "  ", 2);
    dot_id(out, graph, sym);
    out_write(out, " [label=\"", 9);
    dot_label(out, graph, sym);
    out_str(out, sym->s_func ? "\"];\n" : "\",shape=box];\n");
  }
}
}  // namespace

int print_dot(call_graph *graph, out_buffer *out) {
  sorted_entry *table = nullptr;
  walk_frame *stack = nullptr;
  // Everything is allocated before the header, so a failure leaves no
  // half-written digraph behind.
  if (graph->cg_reverse) {
    table = sym_sorted_table(graph);
    if (table == nullptr) return 0;
  } else {
    stack = static_cast<walk_frame *>(mem_alloc(walk_stack_size(graph) * sizeof(walk_frame)));
    if (stack == nullptr) return print_nomem();
  }
  out_str(out, "digraph \"TODO\" {\n");
  if (graph->cg_reverse) {
    for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
      symbol *sym = table[i].sym;
      if (sym_hidden(graph, sym)) continue;
      sym->s_seen = 1;
      if (graph->cg_maxdepth > 0) dot_edges(graph, out, sym, sym->s_callers);
    }
  } else {
    dot_ctx ctx{graph, out};
    if (graph->cg_root != nullptr) {
      walk_forward(stack, graph->cg_root, 0, dot_visit, &ctx);
    } else {
      for (symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
        if (!sym->s_seen) walk_forward(stack, sym, 0, dot_visit, &ctx);
      }
    }
  }
  mem_free(table);
  mem_free(stack);
  dot_nodes(graph, out);
  out_write(out, "}\n", 2);
  return 1;
}
