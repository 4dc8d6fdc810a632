// Output writers: the numbered tree listing and the Graphviz DOT digraph.
//
// A writer reads the graph and changes nothing in it, so it may run any
// number of times. It allocates everything it needs before it writes its
// first byte, so a memory failure leaves the output untouched.
#pragma once

#include <cstdint>

#include "graph/symbol_graph.h"
#include "output/out_buffer.h"

// Which writer formats the graph.
enum class out_format {
  tree,  // the numbered, indented listing
  dot,   // -g: a Graphviz digraph
};

// What the command line asks of every writer: where the walk starts, how
// deep it goes, which symbols it shows.
struct write_options {
  const char *root_name = "main";  // -R: where the forward output starts
  int32_t max_depth = INT32_MAX;   // -d
  bool show_data = false;          // -i x
  bool show_under = false;         // -i _
  bool reverse = false;            // -r: callers instead of callees
};

// What only the digraph needs.
struct dot_options {
  // -p: every node id that is not a plain identifier is quoted, and the ids
  // of functions and of data labels are kept apart whatever the names.
  bool quote_ids = false;
};

// Writes the graph to `out` in `format`. Returns false, having written
// nothing, when memory is exhausted.
bool print_graph(const call_graph *graph, out_format format, const write_options &opts,
                 const dot_options &dot, out_buffer *out);

// Writes the tree listing of the graph to `out`. Returns false, having
// written nothing, when memory is exhausted.
bool print_tree(const call_graph *graph, const write_options &opts, out_buffer *out);

// Writes the graph as a DOT digraph to `out`. Returns false, having written
// nothing, when memory is exhausted.
bool print_dot(const call_graph *graph, const write_options &opts, const dot_options &dot,
               out_buffer *out);
