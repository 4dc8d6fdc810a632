// The call graph of one run: every symbol met in any input file, each with
// the symbols it calls or references and the symbols that call it.
//
// Records are plain structs linked into singly linked lists that only grow at
// their end. The graph owns every record, every edge cell and every string it
// stores; edges point at symbols they do not own. Operations that can fail
// say so in their result and write nothing: the caller reports the failure.
#pragma once

#include <cstddef>
#include <cstdint>

struct symbol;
struct graph_index;

// One list cell pointing at a symbol it does not own. The same cell type
// serves a symbol's callee list and its caller list.
struct edge {
  edge *e_next;
  symbol *e_sym;
};

// One function or data label.
struct symbol {
  symbol *s_next;
  edge *s_callees;     // what this symbol's body calls or references
  edge *s_callers;     // who calls or references this symbol, each caller once
  char *s_name;        // in the record's own block, right after it
  int64_t s_namelen;   // 64 bits: a name may be longer than 2 GiB
  const char *s_file;  // the graph's copy of the file of the definition, or
                       // of where the symbol was first referenced
  int64_t s_line;      // line of the definition; -1 while only referenced
  uint32_t s_order;    // place in the symbol list, from 0
  // Cells in s_callees (counting stops at the largest value); 1 for a
  // function, 0 for a data label.
  uint32_t s_ncallees : 31, s_func : 1;
  // Tail pointers, so that appending does not walk the lists.
  edge *s_callees_last;
  edge *s_callers_last;
};

// The graph of one run. An empty graph needs no setting up; graph_free
// releases what it holds.
struct call_graph {
  symbol *cg_symbols = nullptr;  // every symbol, in order of creation
  symbol *cg_last = nullptr;     // last record of cg_symbols, for appends
  int64_t cg_nsyms = 0;
  // -c: every call site is a callee cell of its own, rather than each
  // callee once.
  bool cg_allcalls = false;
  graph_index *cg_index = nullptr;  // made with the first symbol
};

// Returns the first symbol named `name`, or null.
symbol *sym_lookup(const call_graph *graph, const char *name);

// What sym_lookup(graph, name) returns when that is a data symbol, and
// otherwise null; `len` is the length of `name`. Most names never were data
// symbols, and for them it answers without a lookup.
symbol *sym_lookup_data(const call_graph *graph, const char *name, size_t len);

// Defines (line != -1) or declares (line == -1) a symbol. A definition
// completes the first record of that name when it is only a declaration;
// anything else appends a new record. Returns the record, or null when
// memory is exhausted (the graph is then unchanged).
symbol *sym_add(call_graph *graph, bool is_function, const char *name, const char *file,
                int64_t line);

// Returns a new unlinked cell pointing at `target`, or null when memory is exhausted.
edge *edge_create(symbol *target);

// What record_call did. Running out of memory while noting a callee's very
// first caller is a failure of its own, since the tool has always reported
// it in words of its own.
enum class record_result {
  done,                // recorded, or dropped as a duplicate
  nomem_first_caller,  // memory ran out; the callee had no caller yet
  nomem,               // memory ran out; the callee had callers already
};

// Records the call or reference that `e` (fresh from edge_create, pointing
// at the callee) stands for, made in the body of `caller`; takes `e` over.
// A null `caller` drops the edge. After a failure both lists are as they were.
record_result record_call(call_graph *graph, symbol *caller, edge *e);

// Releases every record, edge and string of the graph; the graph is then
// empty again, with its options as they were.
void graph_free(call_graph *graph);
