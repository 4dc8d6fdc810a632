#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graph/memory.h"
#include "output/writers.h"

int sym_hidden(const call_graph *graph, const symbol *sym) {
  if (!graph->cg_showunder && sym->s_name[0] == '_') return 1;
  if (!graph->cg_showdata && sym->s_func == 0) return 1;
  for (const name_list *n = graph->cg_ignore; n != nullptr; n = n->n_next) {
    if (std::strcmp(sym->s_name, n->n_name) == 0) return 1;
  }
  return 0;
}

int cmp_sym_names(const void *a, const void *b) {
  const symbol *sa = *static_cast<const symbol *const *>(a);
  const symbol *sb = *static_cast<const symbol *const *>(b);
  return std::strcmp(sa->s_name, sb->s_name);
}

size_t walk_stack_size(const call_graph *graph) {
  // Every frame holds a symbol marked on the way down, and frames stop at the
  // depth limit.
  int64_t frames = graph->cg_nsyms;
  if (graph->cg_maxdepth < frames) frames = graph->cg_maxdepth < 0 ? 0 : graph->cg_maxdepth;
  return static_cast<size_t>(frames) + 1;
}

int print_nomem() {
  std::fputs("Memory allocation error\n", stderr);
  return 0;
}

sorted_entry *sym_sorted_table(const call_graph *graph) {
  size_t n = static_cast<size_t>(graph->cg_nsyms);
  sorted_entry *entries = static_cast<sorted_entry *>(mem_alloc(n * sizeof(sorted_entry)));
  if (entries == nullptr) {
    print_nomem();
    return nullptr;
  }
  size_t i = 0;
  for (symbol *sym = graph->cg_symbols; sym != nullptr && i < n; sym = sym->s_next, ++i) {
    entries[i] = sorted_entry{sym, static_cast<int64_t>(i)};
  }
  std::sort(entries, entries + i, [](const sorted_entry &a, const sorted_entry &b) {
    int c = cmp_sym_names(&a.sym, &b.sym);
    return c != 0 ? c < 0 : a.order < b.order;
  });
  return entries;
}
