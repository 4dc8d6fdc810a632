// The call graph of one run: every symbol met in any input file, each with
// the symbols it calls or references and the symbols that call it.
//
// The graph keeps its records, their names and its list cells in three
// arrays that grow at their end, and refers to a record or a cell by its
// 32-bit place in its array: a record is a third of what it would be with
// pointers, a run allocates a few dozen blocks rather than one per record
// and cell, and releasing a graph is releasing those blocks. A record's
// place is its creation order. Places stay valid while the graph grows;
// addresses of records and cells do not, so only a reader of a finished
// graph (a writer) may hold on to them. Operations that can fail say so in
// their result and write nothing: the caller reports the failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "graph/index.h"
#include "graph/records.h"

// The graph of one run. An empty graph needs no setting up; graph_free
// releases what it holds.
struct call_graph {
  symbol *cg_syms = nullptr;  // every record, in order of creation
  int64_t cg_nsyms = 0;
  int64_t cg_syms_cap = 0;
  edge *cg_cells = nullptr;
  int64_t cg_ncells = 0;
  int64_t cg_cells_cap = 0;
  char *cg_names = nullptr;  // every record's name, one after another
  uint64_t cg_names_len = 0;
  uint64_t cg_names_cap = 0;
  // -c: every call site is a callee cell of its own, rather than each
  // callee once.
  bool cg_allcalls = false;
  graph_index *cg_index = nullptr;  // made with the first symbol
};

inline const symbol &graph_sym(const call_graph *graph, sym_id id) {
  return graph->cg_syms[id];
}

inline const edge &graph_cell(const call_graph *graph, cell_id id) {
  return graph->cg_cells[id];
}

inline const char *sym_name(const call_graph *graph, const symbol &sym) {
  return graph->cg_names + sym.s_name;
}

// The first symbol named `name`; not_found when there is none.
sym_result sym_lookup(const call_graph *graph, const char *name);

// sym_lookup_data for a name that the data filter let through, with its key.
sym_result sym_lookup_data_keyed(const call_graph *graph, const char *name, size_t len,
                                 const name_key &key);

// What sym_lookup(graph, name) finds when that is a data symbol, and
// otherwise not_found; `len` is the length of `name`. Most names never were
// data symbols, and for them it answers without a lookup: inline, since the
// default reading asks for nearly every operand.
[[gnu::always_inline]] inline sym_result sym_lookup_data(const call_graph *graph, const char *name,
                                                         size_t len) {
  const graph_index *ix = graph->cg_index;
  if (ix == nullptr) return sym_result::none(sym_status::not_found);
  name_key key = index_key(name, len);
  if (!index_may_be_data(ix, key)) return sym_result::none(sym_status::not_found);
  return sym_lookup_data_keyed(graph, name, len, key);
}

// Defines (line != -1) or declares (line == -1) a symbol. A definition
// completes the first record of that name when it is only a declaration;
// anything else appends a new record. Returns the record; nomem when memory
// is exhausted (the graph is then unchanged).
sym_result sym_add(call_graph *graph, bool is_function, std::string_view name, const char *file,
                   int64_t line);
inline sym_result sym_add(call_graph *graph, bool is_function, const char *name, const char *file,
                          int64_t line) {
  return sym_add(graph, is_function, std::string_view(name), file, line);
}

// Defines a symbol local to `file` (line != -1): always a new record, which
// no lookup by name finds, so that the caller keeps it. Returns the record,
// or nomem when memory is exhausted (the graph is then unchanged).
sym_result sym_add_local(call_graph *graph, bool is_function, std::string_view name,
                         const char *file, int64_t line);

// Makes the local record `id` the one that lookups by its name find, when
// no other record has that name (otherwise it stays local). Returns the
// record, or nomem when memory is exhausted (the graph is then unchanged).
sym_result sym_make_global(call_graph *graph, sym_id id);

// The first record named `name` (of `len` bytes), or, when there is none, a
// new function record declared in `file`, found or made with one probe of
// the index; nomem when memory is exhausted (the graph is then unchanged).
sym_result sym_find_or_declare(call_graph *graph, const char *name, size_t len, const char *file);

// What record_call did. Running out of memory while noting a callee's very
// first caller is a failure of its own, since the tool has always reported
// it in words of its own.
enum class record_result {
  done,                // recorded, or dropped as a duplicate
  nomem_cell,          // memory ran out for the caller's new callee cell
  nomem_first_caller,  // memory ran out; the callee had no caller yet
  nomem,               // memory ran out; the callee had callers already
};

// Records a call or reference from the body of `caller` to `callee`. A
// caller of SYM_NONE drops it. After a failure both lists are as they were.
record_result record_call(call_graph *graph, sym_id caller, sym_id callee);

// Moves every call and reference of `from`, a record that no file defines,
// over to `to`, as if its callers had named `to`: each callee cell keeps its
// place, or goes where the caller names `to` already (as record_call would
// drop it). `from` is left without callers, and no writer shows it. Returns
// done, or nomem when memory ran out (the callers moved so far stay moved).
record_result graph_move_callers(call_graph *graph, sym_id from, sym_id to);

// Releases every record, cell and string of the graph; the graph is then
// empty again, with its options as they were.
void graph_free(call_graph *graph);
