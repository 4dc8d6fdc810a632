// The records of a call graph and the list cells that link them, named by
// their 32-bit places in the graph's arrays. The graph and its index both
// read them; neither header is needed to know their shape.
#pragma once

#include <cstdint>

// The place of a record in cg_syms, or of a cell in cg_cells.
using sym_id = uint32_t;
using cell_id = uint32_t;

// No record, and the end of a list.
constexpr sym_id SYM_NONE = UINT32_MAX;
constexpr cell_id CELL_NONE = UINT32_MAX;

// How an operation that finds or makes a record went. The operation that
// meets a failure says which it was: a name that is not there is no
// failure of memory, and a caller must not take one for the other.
enum class sym_status : uint8_t {
  ok,         // the result names a record
  not_found,  // no record answers the question
  nomem,      // memory ran out; nothing changed
};

// A record, or why there is none.
struct [[nodiscard]] sym_result {
  sym_id id;  // the record when ok, SYM_NONE otherwise
  sym_status status;

  static constexpr sym_result found(sym_id id) { return {id, sym_status::ok}; }
  static constexpr sym_result none(sym_status why) { return {SYM_NONE, why}; }
  constexpr bool ok() const { return status == sym_status::ok; }
};

// One list cell pointing at a record it does not own. The same cell type
// serves a symbol's callee list and its caller list.
struct edge {
  cell_id e_next;
  sym_id e_sym;
};

// One function or data label.
struct symbol {
  uint64_t s_name;     // where the name starts in cg_names (NUL-terminated there)
  int64_t s_line;      // line of the definition; -1 while only referenced
  const char *s_file;  // the graph's copy of the file of the definition, or
                       // of where the symbol was first referenced
  uint32_t s_namelen;
  cell_id s_callees;  // what this symbol's body calls or references
  cell_id s_callers;  // who calls or references this symbol, each caller once
  // Tails, so that appending does not walk the lists.
  cell_id s_callees_last;
  cell_id s_callers_last;
  // The name's first byte, so that the output filter need not read the name.
  char s_first;
  bool s_func;  // a function, not a data label
  // Another record bears the same name: only then can a record other than
  // this one stand for it in a callee list.
  bool s_shared_name;
  // Its file's own (a static function or data label): only the references
  // of that file reach it, and no lookup by name finds it.
  bool s_local;
  // Only another name of the record its callers were moved to
  // (graph_move_callers): no writer shows it.
  bool s_moved;
  // Cells in s_callees; counting stops at the largest value, as only short
  // lists are told apart by their length.
  uint8_t s_ncallees;
};
