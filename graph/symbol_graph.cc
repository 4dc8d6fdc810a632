#include "graph/symbol_graph.h"

#include <cstdio>
#include <cstring>

#include "graph/index.h"
#include "graph/memory.h"

void graph_init(call_graph *graph) {
  graph->cg_ignore = nullptr;
  graph->cg_symbols = nullptr;
  graph->cg_nsyms = 0;
  graph->cg_showdata = 0;
  graph->cg_showunder = 0;
  graph->cg_maxdepth = 2147483647;
  graph->cg_rootname = "main";
  graph->cg_root = nullptr;
  graph->cg_allcalls = 0;
  graph->cg_reverse = 0;
  graph->cg_last = nullptr;
  graph->cg_quote_ids = 0;
}

namespace {
// The first record from `sym` on that bears `name` and is visible from `file`.
symbol *sym_visible(symbol *sym, const char *name, const char *file) {
  for (; sym != nullptr; sym = sym->s_next) {
    if (std::strcmp(sym->s_name, name) != 0) continue;
    if (sym->s_local == 0 || std::strcmp(sym->s_file, file) == 0) return sym;
  }
  return nullptr;
}
}  // namespace

symbol *sym_lookup_data(call_graph *graph, const char *name, size_t len, const char *file) {
  symbol *sym;
  const graph_index *ix = graph->cg_symbols ? index_of(graph->cg_symbols) : nullptr;
  if (ix == nullptr) {
    sym = sym_lookup(graph->cg_symbols, name, file);
  } else {
    uint32_t hash = index_hash(name, len);
    if (!index_may_be_data(ix, hash)) return nullptr;
    sym = index_find(ix, name, len, hash);
    if (sym != nullptr && sym->s_local != 0) sym = sym_visible(sym, name, file);
  }
  return sym != nullptr && sym->s_func == 0 ? sym : nullptr;
}

symbol *sym_lookup(symbol *symbols, const char *name, const char *file) {
  if (symbols == nullptr) return nullptr;
  if (const graph_index *ix = index_of(symbols)) {
    size_t len = std::strlen(name);
    symbol *first = index_find(ix, name, len, index_hash(name, len));
    // A record file-local to another file passes the lookup on to the
    // records after it.
    return first == nullptr || first->s_local == 0 ? first : sym_visible(first, name, file);
  }
  return sym_visible(symbols, name, file);
}

namespace {
// A new unlinked record. With `shared_file` the record points at that copy
// of the file name instead of making its own.
symbol *sym_make(const char *name, const char *file, const char *shared_file, int64_t line) {
  // The name lives in the same block, right after the record: one
  // allocation fewer, and a lookup that reads the record finds the name in
  // the same place.
  size_t len = std::strlen(name);
  symbol *sym = static_cast<symbol *>(mem_alloc(sizeof(symbol) + len + 1));
  if (sym == nullptr) return nullptr;
  sym->s_name = reinterpret_cast<char *>(sym + 1);
  std::memcpy(sym->s_name, name, len + 1);
  if (shared_file != nullptr) {
    sym->s_file = const_cast<char *>(shared_file);
  } else {
    sym->s_file = mem_strdup(file);
    if (sym->s_file == nullptr) {
      mem_free(sym);
      return nullptr;
    }
  }
  sym->s_namelen = static_cast<int64_t>(len);
  sym->s_ncallees = 0;
  sym->s_file_shared = shared_file != nullptr;
  sym->s_line = line;
  sym->s_next = nullptr;
  sym->s_callees = nullptr;
  sym->s_callers = nullptr;
  sym->s_callees_last = nullptr;
  sym->s_callers_last = nullptr;
  sym->s_func = 0;
  sym->s_local = 0;
  sym->s_seen = 0;
  return sym;
}
}  // namespace

symbol *sym_create(const char *name, const char *file, int64_t line) {
  return sym_make(name, file, nullptr, line);
}

namespace {
// The first record of the name of `sym` in the index, or `sym` itself when
// no record of the list bears it.
const symbol *name_key(const graph_index *ix, const symbol *sym) {
  size_t len = std::strlen(sym->s_name);
  const symbol *first = index_find(ix, sym->s_name, len, index_hash(sym->s_name, len));
  return first ? first : sym;
}

// Enters what one callee cell of `caller` stands for into the pair table.
void pair_add_cell(graph_index *ix, const symbol *caller, const symbol *callee) {
  const symbol *key = name_key(ix, callee);
  if (key == callee) {
    index_add_pair(ix, caller, callee, PAIR_SAME | PAIR_NAME);
  } else {
    index_add_pair(ix, caller, callee, PAIR_SAME);
    index_add_pair(ix, caller, key, PAIR_NAME);
  }
}

// Makes room for and enters every cell of a callee list that has grown long.
int pair_add_list(graph_index *ix, const symbol *caller) {
  if (!index_reserve_pairs(ix, 2 * static_cast<size_t>(caller->s_ncallees))) return 0;
  for (const edge *e = caller->s_callees; e != nullptr; e = e->e_next)
    pair_add_cell(ix, caller, e->e_sym);
  return 1;
}

// Returns the index of the graph's list, making it when there is none yet
// (entering the records that the list already holds); null when memory is
// exhausted.
graph_index *graph_index_of(call_graph *graph) {
  if (graph->cg_symbols != nullptr) {
    if (graph_index *ix = index_of(graph->cg_symbols)) return ix;
  }
  graph_index *ix = index_create(graph->cg_symbols);
  if (ix == nullptr) return nullptr;
  for (symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
    size_t len = static_cast<size_t>(sym->s_namelen);
    uint32_t hash = index_hash(sym->s_name, len);
    // Whatever the records are now, any of them may be the one a lookup
    // finds and may be data.
    index_note_data(ix, hash);
    if (index_find(ix, sym->s_name, len, hash) != nullptr) continue;
    if (!index_reserve_name(ix)) {
      index_free(ix);
      return nullptr;
    }
    index_add_name(ix, sym, hash);
  }
  for (symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
    if (sym->s_ncallees > INDEX_SHORT_LIST && !pair_add_list(ix, sym)) {
      index_free(ix);
      return nullptr;
    }
  }
  return ix;
}
}  // namespace

symbol *sym_add(call_graph *graph, int is_function, const char *name, const char *file,
                int64_t line) {
  size_t len = std::strlen(name);
  uint32_t hash = index_hash(name, len);
  graph_index *ix = graph->cg_symbols != nullptr ? index_of(graph->cg_symbols) : nullptr;
  symbol *first = ix != nullptr ? index_find(ix, name, len, hash) : nullptr;
  if (line != -1) {
    symbol *found = ix == nullptr ? sym_lookup(graph->cg_symbols, name, file)
                    : first == nullptr || first->s_local == 0 ? first
                                                              : sym_visible(first, name, file);
    if (found != nullptr && found->s_line == -1) {
      found->s_line = line;
      if (!found->s_file_shared) mem_free(found->s_file);
      // The records of a graph share one copy of each file name.
      found->s_file = ix ? const_cast<char *>(index_file(ix, file)) : mem_strdup(file);
      found->s_file_shared = ix != nullptr;
      found->s_func = is_function;
      if (ix != nullptr && is_function == 0) index_note_data(ix, hash);
      // A failed copy leaves the record without a file name; the scanner
      // reports the failure and the run ends before anything reads it.
      return found->s_file ? found : nullptr;
    }
  }
  if (ix == nullptr) {
    ix = graph_index_of(graph);
    if (ix == nullptr) return nullptr;
    first = index_find(ix, name, len, hash);
  }
  const char *shared_file = index_file(ix, file);
  symbol *sym = shared_file ? sym_make(name, file, shared_file, line) : nullptr;
  if (sym != nullptr && first == nullptr && !index_reserve_name(ix)) {
    sym_free(sym);
    sym = nullptr;
  }
  if (sym == nullptr) {
    // An index made for an empty list goes with the failure.
    if (graph->cg_symbols == nullptr) index_free(ix);
    return nullptr;
  }
  if (first == nullptr) {
    index_add_name(ix, sym, hash);
    if (is_function == 0) index_note_data(ix, hash);
  }
  sym->s_func = is_function;
  graph->cg_nsyms++;
  // The first record of the root name is the one lookups find and the one
  // calls are recorded on, so it is the one the listing must start from.
  if (graph->cg_root == nullptr && std::strcmp(name, graph->cg_rootname) == 0) {
    graph->cg_root = sym;
  }
  if (graph->cg_last == nullptr) {
    graph->cg_symbols = sym;
    ix->gi_first = sym;
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

int record_nomem(const symbol *callee, edge *e) {
  std::fputs(
      callee->s_callers == nullptr ? "Memory alloation error\n" : "Memory allocation error\n",
      stderr);
  mem_free(e);
  return 0;
}
}  // namespace

int record_call(call_graph *graph, const char *caller_name, const char *file, edge *e) {
  return record_call_from(graph, sym_lookup(graph->cg_symbols, caller_name, file), e);
}

int record_call_from(call_graph *graph, symbol *caller, edge *e) {
  symbol *callee = e->e_sym;
  if (caller == nullptr) {
    // Scanners only charge calls to functions they have defined; a call
    // from nowhere has nothing to attach to.
    mem_free(e);
    return 1;
  }
  // A caller's long callee list is answered by the pair table, a short one
  // by a walk. Since the two lists only ever grow together, the caller is
  // among the callee's callers exactly when the callee (this very record) is
  // among the caller's callees, so either list answers both questions.
  graph_index *ix = index_of(graph->cg_symbols);
  bool indexed = ix != nullptr && caller->s_ncallees > INDEX_SHORT_LIST;
  bool new_caller;
  if (graph->cg_allcalls == 0) {
    bool duplicate = indexed ? (index_pair_flags(ix, caller, name_key(ix, callee)) & PAIR_NAME) != 0
                             : edge_names_callee(caller->s_callees, callee);
    if (duplicate) {
      mem_free(e);
      return 1;
    }
    new_caller = true;  // no callee of that name, so not this one either
  } else {
    new_caller = indexed ? (index_pair_flags(ix, caller, callee) & PAIR_SAME) == 0
                         : !edge_points_at(caller->s_callees, callee);
  }
  // Room in the index first, so that a failure anywhere leaves both lists
  // as they were and reports itself like the failure of the caller cell.
  bool grows_long = ix != nullptr && caller->s_ncallees == INDEX_SHORT_LIST;
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
  return 1;
}

namespace {
void edge_free_list(edge *list) {
  while (list != nullptr) {
    edge *next = list->e_next;
    mem_free(list);
    list = next;
  }
}
}  // namespace

void sym_free(symbol *sym) {
  if (sym->s_name != reinterpret_cast<char *>(sym + 1)) mem_free(sym->s_name);
  if (!sym->s_file_shared) mem_free(sym->s_file);
  edge_free_list(sym->s_callees);
  edge_free_list(sym->s_callers);
  mem_free(sym);
}

void sym_free_all(symbol *list) {
  if (list != nullptr) {
    if (graph_index *ix = index_of(list)) index_free(ix);
  }
  // The cells of one list lie far apart in memory, and walking a list means
  // waiting for each cell before the next. So the lists of a few records
  // are released side by side, the next cell of each fetched ahead, and the
  // records themselves after their lists.
  enum { BATCH = 8 };
  while (list != nullptr) {
    symbol *batch[BATCH];
    int n = 0;
    for (; list != nullptr && n < BATCH; list = list->s_next)
      batch[n++] = list;
    edge *cursor[2 * BATCH];
    int live = 0;
    for (int i = 0; i < n; ++i) {
      if (batch[i]->s_callees != nullptr) cursor[live++] = batch[i]->s_callees;
      if (batch[i]->s_callers != nullptr) cursor[live++] = batch[i]->s_callers;
      batch[i]->s_callees = batch[i]->s_callers = nullptr;
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
      sym_free(batch[i]);
  }
}

void names_free(name_list *list) {
  while (list != nullptr) {
    name_list *next = list->n_next;
    mem_free(list->n_name);
    mem_free(list);
    list = next;
  }
}
