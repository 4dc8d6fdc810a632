// Output writers: the numbered tree listing and the Graphviz DOT digraph,
// with the filter, visited marks and name order they share.
//
// A writer allocates everything it needs before it writes its first byte, so
// a memory failure leaves standard output untouched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graph/symbol_graph.h"
#include "output/out_buffer.h"

// Nonzero when the writers must not show `sym` (underscore names without
// -i _, data symbols without -i x, names on the ignore list).
int sym_hidden(const call_graph *graph, const symbol *sym);

// qsort-style order of two `symbol *` elements by name, byte by byte.
int cmp_sym_names(const void *a, const void *b);

// One entry of the name-sorted table of the reverse outputs.
struct sorted_entry {
  symbol *sym;
  int64_t order;  // place in the symbol list: equal names keep list order
  uint64_t key;   // the name's first eight bytes, as a number that sorts like them
};

// Returns every symbol of the graph sorted by name, equal names in list
// order, in an array of graph->cg_nsyms entries for mem_free; null (after
// writing the writers' memory message) when it cannot be allocated.
sorted_entry *sym_sorted_table(const call_graph *graph);

// One frame of a forward walk's own stack.
struct walk_frame {
  edge *next;  // next callee entry to walk
  int64_t depth;
  int64_t width;  // the name width of the frame's children (tree listing only)
};

// Returns how many frames a forward walk's own stack can need at most.
size_t walk_stack_size(const call_graph *graph);

// What a forward walk does with one symbol met at `depth` whose name width
// is `width`: returns true, with the name width of its children in
// *child_width, when its callee entries are to be walked next.
typedef bool (*walk_visit)(void *ctx, symbol *sym, int64_t depth, int64_t width,
                           int64_t *child_width);

// Walks depth first from `top` (depth 0, name width `width`) through the
// callee entries in list order, calling `visit` on every symbol met. The walk
// keeps its own stack, of walk_stack_size frames, so that a call chain of any
// length cannot overflow the process stack.
void walk_forward(walk_frame *stack, symbol *top, int64_t width, walk_visit visit, void *ctx);

// Writes the writers' memory message; returns 0.
int print_nomem();

// Writes the tree listing of the graph to `out`. Returns 1, or 0 after
// writing a memory message (nothing has then been written to `out`).
int print_tree(call_graph *graph, out_buffer *out);

// Writes the graph as a DOT digraph to `out`. Returns 1, or 0 after writing a
// memory message (nothing has then been written to `out`).
int print_dot(call_graph *graph, out_buffer *out);
