// The Graphviz digraph: edge lines in walk order, then one node line for
// every symbol the walk reached.
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

// Writes the node id of `sym`.
void dot_id(out_buffer *out, const symbol *sym) {
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

void dot_edge(out_buffer *out, const symbol *from, const symbol *to, int64_t label) {
  out_write(out, "  ", 2);
  dot_id(out, from);
  out_write(out, " -> ", 4);
  dot_id(out, to);
  out_write(out, " [label=\"", 9);
  out_num(out, label, 0);
  out_write(out, "\"];\n", 4);
}

// Writes the edges from `sym` to every visible symbol of `list`, numbered 1, 2, ...
void dot_edges(const call_graph *graph, out_buffer *out, const symbol *sym, const edge *list) {
  int64_t label = 0;
  for (const edge *e = list; e != nullptr; e = e->e_next) {
    if (!sym_hidden(graph, e->e_sym)) dot_edge(out, sym, e->e_sym, ++label);
  }
}

struct dot_frame {
  edge *next;  // next callee entry to walk
  int64_t depth;
};

// Marks `sym` and writes its edges at its first visit; returns true when its
// callees are to be walked next.
bool dot_visit(const call_graph *graph, out_buffer *out, symbol *sym, int64_t depth) {
  if (sym_hidden(graph, sym) || sym->s_seen) return false;
  sym->s_seen = 1;
  if (depth >= graph->cg_maxdepth || sym->s_callees == nullptr) return false;
  dot_edges(graph, out, sym, sym->s_callees);
  return true;
}

// Depth-first walk from `top` with its own stack.
void dot_walk(const call_graph *graph, out_buffer *out, dot_frame *stack, symbol *top) {
  if (!dot_visit(graph, out, top, 0)) return;
  int64_t sp = 0;
  stack[sp++] = dot_frame{top->s_callees, 0};
  while (sp > 0) {
    dot_frame *f = &stack[sp - 1];
    if (f->next == nullptr) {
      --sp;
      continue;
    }
    symbol *child = f->next->e_sym;
    f->next = f->next->e_next;
    int64_t depth = f->depth + 1;
    if (dot_visit(graph, out, child, depth)) stack[sp++] = dot_frame{child->s_callees, depth};
  }
}

void dot_nodes(const call_graph *graph, out_buffer *out) {
  for (const symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
    if (sym_hidden(graph, sym) || !sym->s_seen) continue;
    out_write(out, "  ", 2);
    dot_id(out, sym);
    out_write(out, " [label=\"", 9);
    out_write(out, sym->s_name, static_cast<size_t>(sym->s_namelen));
    out_str(out, sym->s_func ? "\"];\n" : "\",shape=box];\n");
  }
}
}  // namespace

int print_dot(call_graph *graph, out_buffer *out) {
  sorted_entry *table = nullptr;
  dot_frame *stack = nullptr;
  // Everything is allocated before the header, so a failure leaves no
  // half-written digraph behind.
  if (graph->cg_reverse) {
    table = sym_sorted_table(graph);
    if (table == nullptr) return 0;
  } else {
    stack = static_cast<dot_frame *>(mem_alloc(walk_stack_size(graph) * sizeof(dot_frame)));
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
  } else if (graph->cg_root != nullptr) {
    dot_walk(graph, out, stack, graph->cg_root);
  } else {
    for (symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
      if (!sym->s_seen) dot_walk(graph, out, stack, sym);
    }
  }
  mem_free(table);
  mem_free(stack);
  dot_nodes(graph, out);
  out_write(out, "}\n", 2);
  return 1;
}
