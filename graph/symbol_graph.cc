#include "graph/symbol_graph.h"

#include <cstdio>
#include <cstring>

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
}

symbol *sym_lookup(symbol *symbols, const char *name, const char *file) {
  for (symbol *sym = symbols; sym != nullptr; sym = sym->s_next) {
    if (std::strcmp(sym->s_name, name) != 0) continue;
    if (sym->s_local == 0 || std::strcmp(sym->s_file, file) == 0) return sym;
  }
  return nullptr;
}

symbol *sym_create(const char *name, const char *file, int64_t line) {
  symbol *sym = static_cast<symbol *>(mem_alloc(sizeof(symbol)));
  if (sym == nullptr) return nullptr;
  size_t len = std::strlen(name);
  sym->s_name = mem_strndup(name, len);
  sym->s_file = sym->s_name ? mem_strdup(file) : nullptr;
  if (sym->s_file == nullptr) {
    mem_free(sym->s_name);
    mem_free(sym);
    return nullptr;
  }
  sym->s_namelen = static_cast<int64_t>(len);
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

symbol *sym_add(call_graph *graph, int is_function, const char *name, const char *file,
                int64_t line) {
  if (line != -1) {
    symbol *found = sym_lookup(graph->cg_symbols, name, file);
    if (found != nullptr && found->s_line == -1) {
      found->s_line = line;
      mem_free(found->s_file);
      found->s_file = mem_strdup(file);
      found->s_func = is_function;
      // A failed copy leaves the record without a file name; the scanner
      // reports the failure and the run ends before anything reads it.
      return found->s_file ? found : nullptr;
    }
  }
  symbol *sym = sym_create(name, file, line);
  if (sym == nullptr) return nullptr;
  sym->s_func = is_function;
  graph->cg_nsyms++;
  // The first record of the root name is the one lookups find and the one
  // calls are recorded on, so it is the one the listing must start from.
  if (graph->cg_root == nullptr && std::strcmp(name, graph->cg_rootname) == 0) {
    graph->cg_root = sym;
  }
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
    if (e->e_sym == callee || std::strcmp(e->e_sym->s_name, callee->s_name) == 0) return true;
  }
  return false;
}

// True when `list` holds a cell pointing at exactly `caller`.
bool edge_points_at(const edge *list, const symbol *caller) {
  for (const edge *e = list; e != nullptr; e = e->e_next) {
    if (e->e_sym == caller) return true;
  }
  return false;
}
}  // namespace

int record_call(call_graph *graph, const char *caller_name, const char *file, edge *e) {
  symbol *caller = sym_lookup(graph->cg_symbols, caller_name, file);
  symbol *callee = e->e_sym;
  if (caller == nullptr) {
    // Scanners only charge calls to functions they have defined; a call
    // from nowhere has nothing to attach to.
    mem_free(e);
    return 1;
  }
  if (graph->cg_allcalls == 0 && edge_names_callee(caller->s_callees, callee)) {
    mem_free(e);
    return 1;
  }
  if (callee->s_callers == nullptr) {
    edge *back = edge_create(caller);
    if (back == nullptr) {
      std::fputs("Memory alloation error\n", stderr);
      mem_free(e);
      return 0;
    }
    edge_append(&callee->s_callers, &callee->s_callers_last, back);
  } else if (!edge_points_at(callee->s_callers, caller)) {
    edge *back = edge_create(caller);
    if (back == nullptr) {
      std::fputs("Memory allocation error\n", stderr);
      mem_free(e);
      return 0;
    }
    edge_append(&callee->s_callers, &callee->s_callers_last, back);
  }
  edge_append(&caller->s_callees, &caller->s_callees_last, e);
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
  mem_free(sym->s_name);
  mem_free(sym->s_file);
  edge_free_list(sym->s_callees);
  edge_free_list(sym->s_callers);
  mem_free(sym);
}

void sym_free_all(symbol *list) {
  while (list != nullptr) {
    symbol *next = list->s_next;
    sym_free(list);
    list = next;
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
