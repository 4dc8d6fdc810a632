// The functions that no chain of calls reaches from the root: what a
// maintainer checks for entry points, handlers and dead code.
#include <cstring>

#include "memory/memory.h"
#include "output/names.h"
#include "output/shared.h"

namespace {
// What the list needs: a queue and a mark for every symbol, a place for
// every symbol, the order of the files and the shown names.
struct uncalled_means {
  sym_id *queue;
  uint64_t *marks;  // in the queue's block
  file_place *places;
  uint32_t *order;
  shown_names names;
};

void uncalled_release(uncalled_means *m) {
  mem_free(m->marks != nullptr ? static_cast<void *>(m->marks) : m->queue);
  mem_free(m->places);
  mem_free(m->order);
  names_end(&m->names);
}

bool uncalled_acquire(uncalled_means *m, const call_graph *graph, const write_options &opts) {
  *m = uncalled_means{};
  size_t n = static_cast<size_t>(graph->cg_nsyms);
  size_t marks = (n + 63) / 64 * sizeof(uint64_t);
  // Each allocation only once the one before it succeeded.
  bool ok = (m->queue = static_cast<sym_id *>(mem_alloc(marks + n * sizeof(sym_id) + 1))) &&
            (m->places = static_cast<file_place *>(mem_alloc(n * sizeof(file_place) + 1))) &&
            (m->order = file_order(opts)) && names_begin(&m->names, graph, opts.short_names);
  if (!ok) {
    uncalled_release(m);
    return false;
  }
  // The marks come first in the block, where the alignment is right for them.
  m->marks = reinterpret_cast<uint64_t *>(m->queue);
  m->queue = reinterpret_cast<sym_id *>(m->marks + (n + 63) / 64);
  std::memset(m->marks, 0, marks);
  return true;
}

// Marks every symbol that a chain of at most opts.max_depth calls or
// references reaches from `root`, shortest chains first. Every name counts
// here, shown or not: a function called through a hidden one is called.
void uncalled_reach(const call_graph *graph, const write_options &opts, uncalled_means *m,
                    sym_id root) {
  if (root == SYM_NONE) return;
  size_t head = 0, tail = 0, level_end = 1;
  int64_t depth = 0;
  m->queue[tail++] = root;
  m->marks[root / 64] |= uint64_t{1} << (root % 64);
  while (head < tail) {
    if (head == level_end) {
      ++depth;
      level_end = tail;
    }
    sym_id id = m->queue[head++];
    if (depth >= opts.max_depth) continue;
    for (cell_id c = graph->cg_syms[id].s_callees; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
      sym_id to = graph->cg_cells[c].e_sym;
      if ((m->marks[to / 64] >> (to % 64)) & 1) continue;
      m->marks[to / 64] |= uint64_t{1} << (to % 64);
      m->queue[tail++] = to;
    }
  }
}
}  // namespace

bool print_uncalled(const call_graph *graph, const write_options &opts, out_buffer *out,
                    uncalled_count *count) {
  uncalled_means m;
  sym_id root;
  if (!plan_find_root(graph, opts, &root)) return false;
  if (!uncalled_acquire(&m, graph, opts)) return false;
  uncalled_reach(graph, opts, &m, root);
  *count = uncalled_count{0, 0, root != SYM_NONE};
  size_t n = 0;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol &sym = graph->cg_syms[i];
    if (!sym.s_func || sym.s_line == -1 || (!opts.show_under && sym.s_first == '_')) continue;
    ++count->functions;
    if (((m.marks[i / 64] >> (i % 64)) & 1) == 0) m.places[n++] = {0, static_cast<sym_id>(i)};
  }
  count->listed = static_cast<int64_t>(n);
  place_by_file(graph, opts, m.order, m.places, n, true);
  for (size_t i = 0; i < n; ++i) {
    const symbol &sym = graph->cg_syms[m.places[i].sym];
    std::string_view name = name_shown(m.names, m.places[i].sym);
    out_write(out, name.data(), name.size());
    out_write(out, " <", 2);
    out_str(out, sym.s_file);
    out_write(out, " ", 1);
    out_num(out, sym.s_line, 0);
    out_write(out, ">\n", 2);
  }
  uncalled_release(&m);
  return true;
}
