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

void walk_forward(walk_frame *stack, symbol *top, int64_t width, walk_visit visit, void *ctx) {
  int64_t child_width = 0;
  if (!visit(ctx, top, 0, width, &child_width)) return;
  int64_t sp = 0;
  stack[sp++] = walk_frame{top->s_callees, 0, child_width};
  while (sp > 0) {
    walk_frame *f = &stack[sp - 1];
    if (f->next == nullptr) {
      --sp;
      continue;
    }
    symbol *child = f->next->e_sym;
    f->next = f->next->e_next;
    int64_t depth = f->depth + 1;
    if (visit(ctx, child, depth, f->width, &child_width)) {
      stack[sp++] = walk_frame{child->s_callees, depth, child_width};
    }
  }
}

int print_nomem() {
  std::fputs("Memory allocation error\n", stderr);
  return 0;
}

namespace {
// The first eight bytes of a name (zeros after its end) as a number that
// compares as strcmp compares them.
uint64_t name_key(const char *name) {
  uint64_t key = 0;
  for (int i = 0; i < 8; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c == 0) return i == 0 ? 0 : key << (8 * (8 - i));
    key = key << 8 | c;
  }
  return key;
}
}  // namespace

sorted_entry *sym_sorted_table(const call_graph *graph) {
  size_t n = static_cast<size_t>(graph->cg_nsyms);
  sorted_entry *entries = static_cast<sorted_entry *>(mem_alloc(n * sizeof(sorted_entry)));
  if (entries == nullptr) {
    print_nomem();
    return nullptr;
  }
  size_t i = 0;
  for (symbol *sym = graph->cg_symbols; sym != nullptr && i < n; sym = sym->s_next, ++i) {
    entries[i] = sorted_entry{sym, static_cast<int64_t>(i), name_key(sym->s_name)};
  }
  // The first eight bytes of each name, kept beside the entry, spare most
  // comparisons a visit to two records in far-apart places.
  std::sort(entries, entries + i, [](const sorted_entry &a, const sorted_entry &b) {
    if (a.key != b.key) return a.key < b.key;
    // Equal keys: the names are equal and shorter than eight bytes (the key
    // ends in 0), or agree in their first eight bytes.
    if ((a.key & 0xff) != 0) {
      int c = std::strcmp(a.sym->s_name + 8, b.sym->s_name + 8);
      if (c != 0) return c < 0;
    }
    return a.order < b.order;
  });
  return entries;
}
