#include "graph/symbol_graph.h"

#include <cstring>

#include "graph/index.h"
#include "memory/memory.h"

namespace {
// The records the index confirms a long name's match on.
index_records graph_records(const call_graph *graph) {
  return index_records{graph->cg_syms, graph->cg_names};
}

// The first record named `name` (of `len` bytes, key `key`); not_found when
// there is none.
sym_result graph_find(const call_graph *graph, const char *name, size_t len, const name_key &key) {
  return index_find(graph->cg_index, graph_records(graph), name, len, key);
}
}  // namespace

sym_result sym_lookup(const call_graph *graph, const char *name) {
  if (graph->cg_index == nullptr) return sym_result::none(sym_status::not_found);
  size_t len = std::strlen(name);
  return graph_find(graph, name, len, index_key(name, len));
}

sym_result sym_lookup_data_keyed(const call_graph *graph, const char *name, size_t len,
                                 const name_key &key) {
  sym_result r = graph_find(graph, name, len, key);
  if (r.ok() && graph->cg_syms[r.id].s_func) return sym_result::none(sym_status::not_found);
  return r;
}

namespace {

// Makes room for one more record with a name of `len` bytes.
bool sym_reserve(call_graph *graph, size_t len) {
  if (graph->cg_index == nullptr) {
    graph->cg_index = index_create();
    if (graph->cg_index == nullptr) return false;
  }
  // The name length is kept in 32 bits; a longer name is more than this
  // graph can hold, as if memory had run out.
  return len < UINT32_MAX &&
         mem_reserve(&graph->cg_syms, &graph->cg_syms_cap,
                     static_cast<uint64_t>(graph->cg_nsyms) + 1, INDEX_MAX_SYMS) &&
         mem_reserve(&graph->cg_names, &graph->cg_names_cap, graph->cg_names_len + len + 1,
                     UINT64_MAX);
}

// Appends a record; sym_reserve has made room for it.
sym_id sym_append(call_graph *graph, const char *name, size_t len, const char *file, int64_t line,
                  bool is_function) {
  sym_id id = static_cast<sym_id>(graph->cg_nsyms++);
  symbol &sym = graph->cg_syms[id];
  sym.s_name = graph->cg_names_len;
  std::memcpy(graph->cg_names + graph->cg_names_len, name, len);
  graph->cg_names[graph->cg_names_len + len] = '\0';
  graph->cg_names_len += len + 1;
  sym.s_namelen = static_cast<uint32_t>(len);
  sym.s_first = name[0];
  sym.s_file = file;
  sym.s_line = line;
  sym.s_func = is_function;
  sym.s_shared_name = false;
  sym.s_local = false;
  sym.s_moved = false;
  sym.s_ncallees = 0;
  sym.s_callees = sym.s_callers = sym.s_callees_last = sym.s_callers_last = CELL_NONE;
  return id;
}
}  // namespace

namespace {
// sym_add for a name whose index key the caller has made.
sym_result sym_add_keyed(call_graph *graph, bool is_function, const char *name, size_t len,
                         const name_key &key, const char *file, int64_t line) {
  constexpr sym_result nomem = sym_result::none(sym_status::nomem);
  if (!sym_reserve(graph, len)) return nomem;
  graph_index *ix = graph->cg_index;
  name_slot *slot = index_find_slot(ix, graph_records(graph), name, len, key);
  if (slot == nullptr) return nomem;
  // The records of a graph share one copy of each file name.
  const char *shared_file = index_intern_file(ix, file);
  if (shared_file == nullptr) return nomem;
  if (sym_id first_id = index_slot_sym(slot); first_id != SYM_NONE) {
    symbol &first = graph->cg_syms[first_id];
    if (line != -1 && first.s_line == -1) {
      first.s_line = line;
      first.s_file = shared_file;
      first.s_func = is_function;
      if (!is_function) index_note_data(ix, key);
      return sym_result::found(first_id);
    }
    first.s_shared_name = true;
    sym_id id = sym_append(graph, name, len, shared_file, line, is_function);
    graph->cg_syms[id].s_shared_name = true;
    return sym_result::found(id);
  }
  sym_id id = sym_append(graph, name, len, shared_file, line, is_function);
  index_fill_slot(ix, slot, id, key);
  if (!is_function) index_note_data(ix, key);
  return sym_result::found(id);
}
}  // namespace

sym_result sym_add(call_graph *graph, bool is_function, std::string_view name, const char *file,
                   int64_t line) {
  return sym_add_keyed(graph, is_function, name.data(), name.size(),
                       index_key(name.data(), name.size()), file, line);
}

sym_result sym_add_local(call_graph *graph, bool is_function, std::string_view name,
                         const char *file, int64_t line) {
  constexpr sym_result nomem = sym_result::none(sym_status::nomem);
  if (!sym_reserve(graph, name.size())) return nomem;
  const char *shared_file = index_intern_file(graph->cg_index, file);
  if (shared_file == nullptr) return nomem;
  sym_id id = sym_append(graph, name.data(), name.size(), shared_file, line, is_function);
  graph->cg_syms[id].s_local = true;
  return sym_result::found(id);
}

sym_result sym_make_global(call_graph *graph, sym_id id) {
  if (!graph->cg_syms[id].s_local) return sym_result::found(id);
  const char *name = graph->cg_names + graph->cg_syms[id].s_name;
  size_t len = graph->cg_syms[id].s_namelen;
  name_key key = index_key(name, len);
  graph_index *ix = graph->cg_index;
  name_slot *slot = index_find_slot(ix, graph_records(graph), name, len, key);
  if (slot == nullptr) return sym_result::none(sym_status::nomem);
  // Lookups by name find the first record of a name only: with another one
  // there, this record stays the one its own file reaches.
  if (index_slot_sym(slot) != SYM_NONE) return sym_result::found(id);
  graph->cg_syms[id].s_local = false;
  index_fill_slot(ix, slot, id, key);
  if (!graph->cg_syms[id].s_func) index_note_data(ix, key);
  return sym_result::found(id);
}

sym_result sym_find_or_declare(call_graph *graph, const char *name, size_t len, const char *file) {
  name_key key = index_key(name, len);
  if (graph->cg_index != nullptr) {
    // Most call targets are known already: no room is made for them.
    sym_result known = graph_find(graph, name, len, key);
    if (known.ok()) return known;
  }
  return sym_add_keyed(graph, true, name, len, key, file, -1);
}

namespace {
// Appends cell `c` to a list kept with its tail.
void cell_append(edge *cells, cell_id *head, cell_id *last, cell_id c) {
  if (*last == CELL_NONE) {
    *head = c;
  } else {
    cells[*last].e_next = c;
  }
  *last = c;
}

// True when `list` holds a cell for `callee` or for a symbol of its name.
bool edge_names_callee(const call_graph *graph, cell_id list, sym_id callee) {
  const symbol &want = graph->cg_syms[callee];
  for (cell_id c = list; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
    sym_id id = graph->cg_cells[c].e_sym;
    if (id == callee) return true;
    if (!want.s_shared_name) continue;  // no other record of its name
    const symbol &sym = graph->cg_syms[id];
    if (sym.s_local) continue;  // stands for no other record
    if (sym.s_namelen == want.s_namelen &&
        std::memcmp(sym_name(graph, sym), sym_name(graph, want), want.s_namelen) == 0) {
      return true;
    }
  }
  return false;
}

// True when `list` holds a cell pointing at exactly `target`.
bool edge_points_at(const call_graph *graph, cell_id list, sym_id target) {
  for (cell_id c = list; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
    if (graph->cg_cells[c].e_sym == target) return true;
  }
  return false;
}

// The first record of the name of `id`: the pair table's key for "a record
// of this name".
sym_id first_of_name(const call_graph *graph, sym_id id) {
  const symbol &sym = graph->cg_syms[id];
  if (sym.s_local) return id;  // no other record stands for it
  const char *name = sym_name(graph, sym);
  return graph_find(graph, name, sym.s_namelen, index_key(name, sym.s_namelen)).id;
}

// Enters what one callee cell of `caller` stands for into the pair table.
void pair_add_cell(call_graph *graph, sym_id caller, sym_id callee) {
  graph_index *ix = graph->cg_index;
  sym_id key = first_of_name(graph, callee);
  if (key == callee) {
    index_add_pair(ix, caller, callee, PAIR_SAME | PAIR_NAME);
  } else {
    index_add_pair(ix, caller, callee, PAIR_SAME);
    index_add_pair(ix, caller, key, PAIR_NAME);
  }
}

// True when the callees of `caller` hold `callee` itself (`exact`), or else
// a record of its name. A caller's long callee list is answered by the pair
// table, a short one by a walk. Since the two lists only ever grow together,
// the caller is among the callee's callers exactly when the callee (this very
// record) is among the caller's callees, so either list answers both
// questions.
bool callees_hold(const call_graph *graph, sym_id caller, sym_id callee, bool exact) {
  const graph_index *ix = graph->cg_index;
  const symbol &from = graph->cg_syms[caller];
  bool indexed = from.s_ncallees > INDEX_SHORT_LIST;
  if (exact) {
    return indexed ? (index_pair_flags(ix, caller, callee) & PAIR_SAME) != 0
                   : edge_points_at(graph, from.s_callees, callee);
  }
  return indexed ? (index_pair_flags(ix, caller, first_of_name(graph, callee)) & PAIR_NAME) != 0
                 : edge_names_callee(graph, from.s_callees, callee);
}
}  // namespace

record_result record_call(call_graph *graph, sym_id caller, sym_id callee) {
  // Scanners only charge calls to functions they have defined; a call from
  // nowhere has nothing to attach to.
  if (caller == SYM_NONE) return record_result::done;
  graph_index *ix = graph->cg_index;
  uint8_t ncallees = graph->cg_syms[caller].s_ncallees;
  bool indexed = ncallees > INDEX_SHORT_LIST;
  bool new_caller;
  if (!graph->cg_allcalls) {
    if (callees_hold(graph, caller, callee, false)) return record_result::done;
    new_caller = true;  // no callee of that name, so not this one either
  } else {
    new_caller = !callees_hold(graph, caller, callee, true);
  }
  // Room first, so that a failure anywhere leaves both lists as they were:
  // the callee cell's room fails as a cell the scanner could not make, the
  // caller cell's and the pair table's as the caller that could not be noted.
  uint64_t ncells = static_cast<uint64_t>(graph->cg_ncells);
  if (!mem_reserve(&graph->cg_cells, &graph->cg_cells_cap, ncells + 1, CELL_NONE)) {
    return record_result::nomem_cell;
  }
  bool grows_long = ncallees == INDEX_SHORT_LIST;
  bool room =
      !new_caller || mem_reserve(&graph->cg_cells, &graph->cg_cells_cap, ncells + 2, CELL_NONE);
  if (room && (grows_long || (indexed && new_caller))) {
    room = index_reserve_pairs(ix, grows_long ? 2 * (INDEX_SHORT_LIST + 1) : 2);
  }
  if (!room) {
    return graph->cg_syms[callee].s_callers == CELL_NONE ? record_result::nomem_first_caller
                                                         : record_result::nomem;
  }
  edge *cells = graph->cg_cells;
  symbol &from = graph->cg_syms[caller];
  symbol &to = graph->cg_syms[callee];
  if (new_caller) {
    cell_id back = static_cast<cell_id>(graph->cg_ncells++);
    cells[back] = edge{CELL_NONE, caller};
    cell_append(cells, &to.s_callers, &to.s_callers_last, back);
  }
  cell_id c = static_cast<cell_id>(graph->cg_ncells++);
  cells[c] = edge{CELL_NONE, callee};
  cell_append(cells, &from.s_callees, &from.s_callees_last, c);
  if (from.s_ncallees != UINT8_MAX) from.s_ncallees++;
  if (grows_long) {
    for (cell_id k = from.s_callees; k != CELL_NONE; k = cells[k].e_next)
      pair_add_cell(graph, caller, cells[k].e_sym);
  } else if (indexed && new_caller) {
    pair_add_cell(graph, caller, callee);
  }
  return record_result::done;
}

namespace {
// Points the callee cells of `caller` that name `from` at `to` where they
// stand, or, with `drop`, takes them out of the list.
void callees_repoint(call_graph *graph, sym_id caller, sym_id from, sym_id to, bool drop) {
  edge *cells = graph->cg_cells;
  symbol &sym = graph->cg_syms[caller];
  cell_id prev = CELL_NONE;
  for (cell_id c = sym.s_callees; c != CELL_NONE; c = cells[c].e_next) {
    if (cells[c].e_sym != from) {
      prev = c;
    } else if (!drop) {
      cells[c].e_sym = to;
      prev = c;
    } else {
      (prev == CELL_NONE ? sym.s_callees : cells[prev].e_next) = cells[c].e_next;
      if (sym.s_callees_last == c) sym.s_callees_last = prev;
      // A long list keeps its count, and the pair table keeps answering for
      // it: the pair of a moved record is never asked about again.
      if (sym.s_ncallees <= INDEX_SHORT_LIST) sym.s_ncallees--;
    }
  }
}
}  // namespace

record_result graph_move_callers(call_graph *graph, sym_id from, sym_id to) {
  edge *cells = graph->cg_cells;
  while (graph->cg_syms[from].s_callers != CELL_NONE) {
    cell_id back = graph->cg_syms[from].s_callers;
    sym_id caller = cells[back].e_sym;
    bool indexed = graph->cg_syms[caller].s_ncallees > INDEX_SHORT_LIST;
    // As record_call would have found it: a second call of a record of that
    // name is no new callee, a second call of this very record no new caller.
    bool drop = !graph->cg_allcalls && callees_hold(graph, caller, to, false);
    bool new_caller = !drop && !callees_hold(graph, caller, to, true);
    if (new_caller && indexed && !index_reserve_pairs(graph->cg_index, 2)) {
      return record_result::nomem;
    }
    callees_repoint(graph, caller, from, to, drop);
    symbol &was = graph->cg_syms[from];
    was.s_callers = cells[back].e_next;
    if (was.s_callers == CELL_NONE) was.s_callers_last = CELL_NONE;
    if (new_caller) {
      symbol &now = graph->cg_syms[to];
      cells[back].e_next = CELL_NONE;
      cell_append(cells, &now.s_callers, &now.s_callers_last, back);
      if (indexed) pair_add_cell(graph, caller, to);
    }
  }
  graph->cg_syms[from].s_moved = true;
  return record_result::done;
}

void graph_free(call_graph *graph) {
  if (graph->cg_index != nullptr) index_free(graph->cg_index);
  mem_free(graph->cg_syms);
  mem_free(graph->cg_cells);
  mem_free(graph->cg_names);
  bool allcalls = graph->cg_allcalls;
  *graph = call_graph{};
  graph->cg_allcalls = allcalls;
}
