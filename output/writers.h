// Output writers: the numbered tree listing and the Graphviz DOT digraph.
//
// A writer reads the graph and changes nothing in it, so it may run any
// number of times. It allocates everything it needs before it writes its
// first byte, so a memory failure leaves the output untouched.
#pragma once

#include <cstdint>

#include "graph/symbol_graph.h"
#include "output/out_buffer.h"

// What the command line asks of the output.
struct write_options {
  const char *root_name = "main";  // -R: where the forward output starts
  int32_t max_depth = INT32_MAX;   // -d
  bool show_data = false;          // -i x
  bool show_under = false;         // -i _
  bool reverse = false;            // -r: callers instead of callees
  // -p: the digraph quotes every node id that is not a plain identifier,
  // and keeps the ids of functions and of data labels apart whatever the
  // names.
  bool quote_ids = false;
};

// Writes the tree listing of the graph to `out`. Returns false, having
// written nothing, when memory is exhausted.
bool print_tree(const call_graph *graph, const write_options &opts, out_buffer *out);

// Writes the graph as a DOT digraph to `out`. Returns false, having written
// nothing, when memory is exhausted.
bool print_dot(const call_graph *graph, const write_options &opts, out_buffer *out);
