// The call graph of one run: every symbol met in any input file, each with
// the symbols it calls or references and the symbols that call it.
//
// Records are plain structs linked into singly linked lists that only grow at
// their end. Every name a record stores is its own copy; edges point at
// symbols they do not own. Operations that can fail return 1/0 or a
// pointer/null; only record_call writes a message of its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct symbol;

// One list cell pointing at a symbol it does not own. The same cell type
// serves a symbol's callee list and its caller list.
struct edge {
  edge *e_next;
  symbol *e_sym;
};

// One function or data label.
struct symbol {
  symbol *s_next;
  edge *s_callees;  // what this symbol's body calls or references
  edge *s_callers;  // who calls or references this symbol, each caller once
  char *s_name;
  int64_t s_namelen;  // 64 bits: a name may be longer than 2 GiB
  char *s_file;       // file of the definition, or where it was first referenced
  int64_t s_line;     // line of the definition; -1 while only referenced
  int32_t s_func;     // 1 for a function, 0 for a data label
  int32_t s_local;    // nonzero restricts lookups to the symbol's own file
  int32_t s_seen;     // visited mark of the writers
  // Cells in s_callees (counting stops at the largest value), and whether
  // s_file is the graph's one copy of that file name rather than the
  // record's own.
  uint32_t s_ncallees : 31, s_file_shared : 1;
  // Tail pointers, so that appending does not walk the lists.
  edge *s_callees_last;
  edge *s_callers_last;
};

// One cell of a list of owned names.
struct name_list {
  name_list *n_next;
  char *n_name;
};

// The one record of a run: the options that shape the graph and its output,
// and the graph itself.
struct call_graph {
  name_list *cg_ignore;  // names the writers never show
  symbol *cg_symbols;    // every symbol, in order of creation
  int64_t cg_nsyms;
  int32_t cg_showdata;   // -i x
  int32_t cg_showunder;  // -i _
  int32_t cg_maxdepth;   // -d
  const char *cg_rootname;
  symbol *cg_root;      // first record bearing cg_rootname, or null
  int32_t cg_allcalls;  // -c
  int32_t cg_reverse;   // -r
  symbol *cg_last;      // last record of cg_symbols, for appends
  // -p: the digraph quotes every node id that is not a plain identifier, and
  // keeps the ids of functions and of data labels apart whatever the names.
  int32_t cg_quote_ids;
};

// Sets up an empty graph with the default options (root "main", no depth limit).
void graph_init(call_graph *graph);

// Returns the first symbol named `name` visible from `file`, or null. The
// list of a graph is searched through the graph's index, any other list by a
// walk.
symbol *sym_lookup(symbol *symbols, const char *name, const char *file);

// What sym_lookup(graph->cg_symbols, name, file) returns when that is a
// data symbol, and otherwise null; `len` is the length of `name`. Most names
// never were data symbols, and for them it answers without a lookup.
symbol *sym_lookup_data(call_graph *graph, const char *name, size_t len, const char *file);

// Defines (line != -1) or declares (line == -1) a symbol. A definition
// completes the first record of that name when it is only a declaration;
// anything else appends a new record. Returns the record, or null when
// memory is exhausted (the graph is then unchanged).
symbol *sym_add(call_graph *graph, int is_function, const char *name, const char *file,
                int64_t line);

// Returns a new unlinked record, or null when memory is exhausted.
symbol *sym_create(const char *name, const char *file, int64_t line);

// Returns a new unlinked cell pointing at `target`, or null when memory is exhausted.
edge *edge_create(symbol *target);

// Records the call or reference that `e` (fresh from edge_create) stands
// for, made in the body of `caller_name`; takes `e` over. Returns 1 when
// recorded or dropped as a duplicate, 0 after writing a memory message.
int record_call(call_graph *graph, const char *caller_name, const char *file, edge *e);

// record_call once the caller has been found: `caller` is what
// sym_lookup(graph->cg_symbols, caller_name, file) returned (null allowed).
int record_call_from(call_graph *graph, symbol *caller, edge *e);

// Releases one record, its strings and both of its edge lists.
void sym_free(symbol *sym);

// Releases every record of a symbol list, and the index of a graph's list.
void sym_free_all(symbol *list);

// Releases every cell of a name list and its names.
void names_free(name_list *list);
