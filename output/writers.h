// Output writers: the numbered tree listing, the Graphviz DOT digraph, the
// JSON document and the list of functions never called.
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
  json,  // -j: one JSON document
  // -u: every function the files define that no chain of calls reaches
  // from the root
  uncalled,
};

// What the command line asks of every writer: where the walk starts, how
// deep it goes, which symbols it shows.
struct write_options {
  const char *root_name = "main";  // -R: where the forward output starts
  int32_t max_depth = INT32_MAX;   // -d
  bool show_data = false;          // -i x
  bool show_under = false;         // -i _
  bool reverse = false;            // -r: callers instead of callees
  bool hide_external = false;      // -e: leave out names that no file defines
  bool compact = false;            // -l: indent by a fixed step, names left-aligned
  bool short_names = false;        // -s: C++ names without parameters and templates
  // -p: a root name that no symbol bears finds the first function whose
  // short name it is.
  bool root_by_short_name = false;
  // The files read, in order; the JSON lists them, and the list of
  // functions never called follows their order. "-" is standard input,
  // which the symbols know as `stdin_name`.
  const char *const *files = nullptr;
  int64_t nfiles = 0;
  const char *stdin_name = "-";
};

// What only the digraph needs.
struct dot_options {
  // -p: every node id that is not a plain identifier is quoted, and the ids
  // of functions and of data labels are kept apart whatever the names.
  bool quote_ids = false;
  bool clusters = false;    // -f: each file's symbols in a cluster of their own
  bool edge_labels = true;  // -b clears it: edges without their call numbers
};

// The name that the symbols of the file opts.files[i] record.
inline const char *write_file_name(const write_options &opts, int64_t i) {
  const char *f = opts.files[i];
  return f[0] == '-' && f[1] == '\0' ? opts.stdin_name : f;
}

// What the list of functions never called found, for its closing count.
struct uncalled_count {
  int64_t listed;     // functions never called
  int64_t functions;  // functions defined (and shown)
  bool rooted;        // a symbol bore the root name
};

// Writes the graph to `out` in `format`. Returns false, having written
// nothing, when memory is exhausted.
bool print_graph(const call_graph *graph, out_format format, const write_options &opts,
                 const dot_options &dot, out_buffer *out);

// Writes every function that the files define and that no chain of calls
// reaches from the root, in file and line order, and counts them in
// `count`. Returns false, having written nothing, when memory is exhausted.
bool print_uncalled(const call_graph *graph, const write_options &opts, out_buffer *out,
                    uncalled_count *count);

// Writes the graph as one JSON document. Returns false, having written
// nothing, when memory is exhausted.
bool print_json(const call_graph *graph, const write_options &opts, out_buffer *out);

// Writes the tree listing of the graph to `out`. Returns false, having
// written nothing, when memory is exhausted.
bool print_tree(const call_graph *graph, const write_options &opts, out_buffer *out);

// Writes the graph as a DOT digraph to `out`. Returns false, having written
// nothing, when memory is exhausted.
bool print_dot(const call_graph *graph, const write_options &opts, const dot_options &dot,
               out_buffer *out);
