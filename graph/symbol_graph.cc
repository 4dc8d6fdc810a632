#include "graph/symbol_graph.h"

#include <cstring>

#include "graph/index.h"
#include "graph/memory.h"

symbol *sym_lookup(const call_graph *graph, const char *name) {
  if (graph->cg_index == nullptr) return nullptr;
  size_t len = std::strlen(name);
  return index_find(graph->cg_index, name, len, index_hash(name, len));
}

symbol *sym_lookup_data(const call_graph *graph, const char *name, size_t len) {
  const graph_index *ix = graph->cg_index;
  if (ix == nullptr) return nullptr;
  uint32_t hash = index_hash(name, len);
  if (!index_may_be_data(ix, hash)) return nullptr;
  symbol *sym = index_find(ix, name, len, hash);
  return sym != nullptr && sym->s_func == 0 ? sym : nullptr;
}

namespace {
// A new unlinked record that points at `file`, the graph's copy.
symbol *sym_make(const char *name, size_t len, const char *file, int64_t line, bool is_function) {
  // The name lives in the same block, right after the record: one
  // allocation fewer, and a lookup that reads the record finds the name in
  // the same place.
  symbol *sym = static_cast<symbol *>(mem_alloc(sizeof(symbol) + len + 1));
  if (sym == nullptr) return nullptr;
  sym->s_name = reinterpret_cast<char *>(sym + 1);
  std::memcpy(sym->s_name, name, len + 1);
  sym->s_namelen = static_cast<int64_t>(len);
  sym->s_file = file;
  sym->s_line = line;
  sym->s_order = 0;
  sym->s_ncallees = 0;
  sym->s_func = is_function;
  sym->s_next = nullptr;
  sym->s_callees = nullptr;
  sym->s_callers = nullptr;
  sym->s_callees_last = nullptr;
  sym->s_callers_last = nullptr;
  return sym;
}
}  // namespace

symbol *sym_add(call_graph *graph, bool is_function, const char *name, const char *file,
                int64_t line) {
  if (graph->cg_index == nullptr) {
    graph->cg_index = index_create();
    if (graph->cg_index == nullptr) return nullptr;
  }
  graph_index *ix = graph->cg_index;
  size_t len = std::strlen(name);
  uint32_t hash = index_hash(name, len);
  symbol *first = index_find(ix, name, len, hash);
  // The records of a graph share one copy of each file name.
  const char *shared_file = index_intern_file(ix, file);
  if (shared_file == nullptr) return nullptr;
  if (line != -1 && first != nullptr && first->s_line == -1) {
    first->s_line = line;
    first->s_file = shared_file;
    first->s_func = is_function;
    if (!is_function) index_note_data(ix, hash);
    return first;
  }
  // Writers keep their marks by s_order; a graph this large would not fit
  // in memory anyway.
  if (graph->cg_nsyms == UINT32_MAX) return nullptr;
  symbol *sym = sym_make(name, len, shared_file, line, is_function);
  if (sym == nullptr) return nullptr;
  if (first == nullptr) {
    if (!index_reserve_name(ix)) {
      mem_free(sym);
      return nullptr;
    }
    index_add_name(ix, sym, hash);
    if (!is_function) index_note_data(ix, hash);
  }
  sym->s_order = static_cast<uint32_t>(graph->cg_nsyms++);
  if (graph->cg_last == nullptr) {
    graph->cg_symbols = sym;
  } else {
    graph->cg_last->s_next = sym;
  }
  graph->cg_last = sym;
  return sym;
}

edge *edge_create(symbol *target) {
  edge *e = static_cast<edge *>(mem_alloc(sizeof(edge)));
  if (e == nullptr) return nullptr;
  e->e_next = nullptr;
  e->e_sym = target;
  return e;
}

namespace {
// Appends a fresh cell to a list kept with its tail pointer.
void edge_append(edge **head, edge **last, edge *e) {
  if (*last == nullptr) {
    *head = e;
  } else {
    (*last)->e_next = e;
  }
  *last = e;
}

// True when `list` holds a cell for `callee` or for a symbol of its name.
bool edge_names_callee(const edge *list, const symbol *callee) {
  for (const edge *e = list; e != nullptr; e = e->e_next) {
    const symbol *sym = e->e_sym;
    if (sym == callee) return true;
    if (sym->s_namelen == callee->s_namelen && std::strcmp(sym->s_name, callee->s_name) == 0) {
      return true;
    }
  }
  return false;
}

// True when `list` holds a cell pointing at exactly `target`.
bool edge_points_at(const edge *list, const symbol *target) {
  for (const edge *e = list; e != nullptr; e = e->e_next) {
    if (e->e_sym == target) return true;
  }
  return false;
}

// The first record of the name of `sym`: the pair table's key for "a
// record of this name".
const symbol *first_of_name(const graph_index *ix, const symbol *sym) {
  size_t len = static_cast<size_t>(sym->s_namelen);
  return index_find(ix, sym->s_name, len, index_hash(sym->s_name, len));
}

// Enters what one callee cell of `caller` stands for into the pair table.
void pair_add_cell(graph_index *ix, const symbol *caller, const symbol *callee) {
  const symbol *key = first_of_name(ix, callee);
  if (key == callee) {
    index_add_pair(ix, caller, callee, PAIR_SAME | PAIR_NAME);
  } else {
    index_add_pair(ix, caller, callee, PAIR_SAME);
    index_add_pair(ix, caller, key, PAIR_NAME);
  }
}

record_result record_nomem(const symbol *callee, edge *e) {
  mem_free(e);
  return callee->s_callers == nullptr ? record_result::nomem_first_caller : record_result::nomem;
}
}  // namespace

record_result record_call(call_graph *graph, symbol *caller, edge *e) {
  symbol *callee = e->e_sym;
  if (caller == nullptr) {
    // Scanners only charge calls to functions they have defined; a call
    // from nowhere has nothing to attach to.
    mem_free(e);
    return record_result::done;
  }
  // A caller's long callee list is answered by the pair table, a short one
  // by a walk. Since the two lists only ever grow together, the caller is
  // among the callee's callers exactly when the callee (this very record) is
  // among the caller's callees, so either list answers both questions.
  graph_index *ix = graph->cg_index;
  bool indexed = caller->s_ncallees > INDEX_SHORT_LIST;
  bool new_caller;
  if (!graph->cg_allcalls) {
    bool duplicate =
        indexed ? (index_pair_flags(ix, caller, first_of_name(ix, callee)) & PAIR_NAME) != 0
                : edge_names_callee(caller->s_callees, callee);
    if (duplicate) {
      mem_free(e);
      return record_result::done;
    }
    new_caller = true;  // no callee of that name, so not this one either
  } else {
    new_caller = indexed ? (index_pair_flags(ix, caller, callee) & PAIR_SAME) == 0
                         : !edge_points_at(caller->s_callees, callee);
  }
  // Room in the index first, so that a failure anywhere leaves both lists
  // as they were and counts as the failure of the caller cell.
  bool grows_long = caller->s_ncallees == INDEX_SHORT_LIST;
  if (grows_long || (indexed && new_caller)) {
    size_t room = grows_long ? 2 * (INDEX_SHORT_LIST + 1) : 2;
    if (!index_reserve_pairs(ix, room)) return record_nomem(callee, e);
  }
  if (new_caller) {
    edge *back = edge_create(caller);
    if (back == nullptr) return record_nomem(callee, e);
    edge_append(&callee->s_callers, &callee->s_callers_last, back);
  }
  edge_append(&caller->s_callees, &caller->s_callees_last, e);
  if (caller->s_ncallees != INT32_MAX) caller->s_ncallees++;
  if (grows_long) {
    for (const edge *c = caller->s_callees; c != nullptr; c = c->e_next)
      pair_add_cell(ix, caller, c->e_sym);
  } else if (indexed && new_caller) {
    pair_add_cell(ix, caller, callee);
  }
  return record_result::done;
}

void graph_free(call_graph *graph) {
  // The index's big tables go first: released after millions of small
  // blocks, they would have the allocator sort all of those first.
  if (graph->cg_index != nullptr) index_free(graph->cg_index);
  // The cells of one list lie far apart in memory, and walking a list means
  // waiting for each cell before the next. So the lists of a few records
  // are released side by side, the next cell of each fetched ahead, and the
  // records themselves after their lists: on a graph of a million edges,
  // in about a quarter of the time of one list after the other.
  constexpr int BATCH = 8;
  symbol *sym = graph->cg_symbols;
  while (sym != nullptr) {
    symbol *batch[BATCH];
    int n = 0;
    for (; sym != nullptr && n < BATCH; sym = sym->s_next)
      batch[n++] = sym;
    edge *cursor[2 * BATCH];
    int live = 0;
    for (int i = 0; i < n; ++i) {
      if (batch[i]->s_callees != nullptr) cursor[live++] = batch[i]->s_callees;
      if (batch[i]->s_callers != nullptr) cursor[live++] = batch[i]->s_callers;
    }
    while (live > 0) {
      for (int k = 0; k < live;) {
        edge *next = cursor[k]->e_next;
        mem_free(cursor[k]);
        if (next != nullptr) {
          __builtin_prefetch(next);
          cursor[k++] = next;
        } else {
          cursor[k] = cursor[--live];
        }
      }
    }
    for (int i = 0; i < n; ++i)
      mem_free(batch[i]);
  }
  graph->cg_symbols = graph->cg_last = nullptr;
  graph->cg_nsyms = 0;
  graph->cg_index = nullptr;
}
