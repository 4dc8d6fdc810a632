#include "output/shared.h"

#include <algorithm>
#include <cstring>

#include "memory/memory.h"
#include "output/names.h"

namespace {
// The first eight bytes of a name (zeros after its end) as a number that
// compares as strcmp compares them.
uint64_t sort_prefix(const char *name) {
  uint64_t key = 0;
  for (int i = 0; i < 8; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c == 0) return i == 0 ? 0 : key << (8 * (8 - i));
    key = key << 8 | c;
  }
  return key;
}
}  // namespace

namespace {
// Sorts by the key's bytes from the first, moving the entries within the
// array (no second array: the table of a large graph is big enough as it
// is), and by `full` what is left: small runs. The keys hold the names'
// bytes from `depth` on; a run whose keys are all equal takes the next
// eight bytes of its names as its keys and goes on, so that names sharing a
// long beginning are read once for each eight bytes rather than compared
// whole again and again.
template <class Full>
void sort_by_key(const call_graph *graph, sorted_entry *a, size_t n, int shift, size_t depth,
                 Full full) {
  if (n < 64) {
    std::sort(a, a + n,
              [&](const sorted_entry &x, const sorted_entry &y) { return full(x, y, depth); });
    return;
  }
  if (shift < 0) {
    // Equal keys. Names that end within them are equal: list order decides.
    if ((a[0].key & 0xff) == 0) {
      std::sort(a, a + n,
                [](const sorted_entry &x, const sorted_entry &y) { return x.sym < y.sym; });
      return;
    }
    for (size_t i = 0; i < n; ++i)
      a[i].key = sort_prefix(sym_name(graph, graph->cg_syms[a[i].sym]) + depth + 8);
    sort_by_key(graph, a, n, 56, depth + 8, full);
    return;
  }
  auto digit = [shift](const sorted_entry &e) {
    return static_cast<size_t>(e.key >> shift) & 0xff;
  };
  size_t next[256] = {}, end[256];
  for (size_t i = 0; i < n; ++i)
    ++next[digit(a[i])];
  size_t at = 0;
  for (size_t d = 0; d < 256; ++d) {
    size_t count = next[d];
    next[d] = at;
    at += count;
    end[d] = at;
  }
  // Every entry is swapped straight into its run.
  for (size_t d = 0; d < 256; ++d) {
    while (next[d] < end[d]) {
      sorted_entry e = a[next[d]];
      for (size_t ed = digit(e); ed != d; ed = digit(e))
        std::swap(e, a[next[ed]++]);
      a[next[d]++] = e;
    }
  }
  size_t begin = 0;
  for (size_t d = 0; d < 256; ++d) {
    if (end[d] - begin > 1) sort_by_key(graph, a + begin, end[d] - begin, shift - 8, depth, full);
    begin = end[d];
  }
}
}  // namespace

sorted_entry *sym_sorted_table(const call_graph *graph) {
  size_t n = static_cast<size_t>(graph->cg_nsyms);
  sorted_entry *entries = static_cast<sorted_entry *>(mem_alloc(n * sizeof(sorted_entry)));
  if (entries == nullptr) return nullptr;
  for (size_t i = 0; i < n; ++i) {
    entries[i] =
        sorted_entry{sort_prefix(sym_name(graph, graph->cg_syms[i])), static_cast<sym_id>(i)};
  }
  // The first eight bytes of each name, kept beside the entry, spare most
  // comparisons a visit to two names in far-apart places.
  sort_by_key(graph, entries, n, 56, 0,
              [graph](const sorted_entry &a, const sorted_entry &b, size_t depth) {
                if (a.key != b.key) return a.key < b.key;
                // Equal keys: the names are equal and end within them (the
                // key ends in 0), or agree up to their end.
                if ((a.key & 0xff) != 0) {
                  int c = std::strcmp(sym_name(graph, graph->cg_syms[a.sym]) + depth + 8,
                                      sym_name(graph, graph->cg_syms[b.sym]) + depth + 8);
                  if (c != 0) return c < 0;
                }
                return a.sym < b.sym;
              });
  return entries;
}

int reverse_gather(const call_graph *graph, const sorted_entry *table, int64_t at, bool callers,
                   reverse_item *items) {
  int n =
      graph->cg_nsyms - at < REVERSE_BATCH ? static_cast<int>(graph->cg_nsyms - at) : REVERSE_BATCH;
  const symbol *syms = graph->cg_syms;
  const edge *cells = graph->cg_cells;
  for (int k = 0; k < n; ++k)
    __builtin_prefetch(&syms[table[at + k].sym]);
  for (int k = 0; k < n; ++k) {
    reverse_item &item = items[k];
    item.sym = table[at + k].sym;
    item.ahead = 0;
    const symbol &sym = syms[item.sym];
    __builtin_prefetch(sym_name(graph, sym));
    item.rest = callers ? sym.s_callers : CELL_NONE;
  }
  for (int round = 0; round < REVERSE_AHEAD; ++round) {
    bool more = false;
    for (int k = 0; k < n; ++k) {
      reverse_item &item = items[k];
      if (item.rest == CELL_NONE) continue;
      const edge &e = cells[item.rest];
      __builtin_prefetch(&syms[e.e_sym]);
      item.callers[item.ahead++] = e.e_sym;
      item.rest = e.e_next;
      more = true;
    }
    if (!more) break;
  }
  for (int k = 0; k < n; ++k) {
    for (int j = 0; j < items[k].ahead; ++j)
      __builtin_prefetch(sym_name(graph, syms[items[k].callers[j]]));
  }
  return n;
}

bool walk_begin(walk_run *run, const call_graph *graph, const write_options &opts) {
  // Every frame holds a symbol marked on the way down, and frames stop at the
  // depth limit.
  int64_t frames = graph->cg_nsyms;
  if (opts.max_depth < frames) frames = opts.max_depth < 0 ? 0 : opts.max_depth;
  size_t stack_size = (static_cast<size_t>(frames) + 1) * sizeof(walk_frame);
  size_t marks_size = static_cast<size_t>(graph->cg_nsyms + 63) / 64 * sizeof(uint64_t);
  // One block: the marks follow the stack.
  run->stack = static_cast<walk_frame *>(mem_alloc(stack_size + marks_size));
  if (run->stack == nullptr) return false;
  run->marks = reinterpret_cast<uint64_t *>(run->stack + frames + 1);
  std::memset(run->marks, 0, marks_size);
  return true;
}

void walk_end(walk_run *run) {
  mem_free(run->stack);
  run->stack = nullptr;
  run->marks = nullptr;
}

bool plan_begin(walk_plan *plan, const call_graph *graph, const write_options &opts) {
  *plan = walk_plan{graph, &opts, {}, nullptr, SYM_NONE};
  if (opts.reverse) {
    plan->table = sym_sorted_table(graph);
    return plan->table != nullptr;
  }
  if (!walk_begin(&plan->run, graph, opts)) return false;
  if (plan_find_root(graph, opts, &plan->root)) return true;
  walk_end(&plan->run);
  return false;
}

void plan_end(walk_plan *plan) {
  mem_free(plan->table);
  plan->table = nullptr;
  if (plan->run.stack != nullptr) walk_end(&plan->run);
}

bool print_graph(const call_graph *graph, out_format format, const write_options &opts,
                 const dot_options &dot, out_buffer *out) {
  switch (format) {
    case out_format::dot:
      return print_dot(graph, opts, dot, out);
    case out_format::json:
      return print_json(graph, opts, out);
    case out_format::tree:
    case out_format::uncalled:  // it has a count besides: print_uncalled
      break;
  }
  return print_tree(graph, opts, out);
}

bool plan_find_root(const call_graph *graph, const write_options &opts, sym_id *root) {
  sym_result found = sym_lookup(graph, opts.root_name);
  // Another name whose calls went to what it stands for names no symbol.
  if (found.ok() && graph->cg_syms[found.id].s_moved)
    found = sym_result::none(sym_status::not_found);
  *root = found.id;
  if (found.ok() || !opts.root_by_short_name) return true;
  return names_find_short(graph, opts.root_name, root);
}

namespace {
// The place among opts.files of the file named `file`: the first operand
// that bears the name; opts.nfiles when none does. `order` holds the
// operands' places sorted by name, then by place.
uint32_t file_rank(const write_options &opts, const uint32_t *order, const char *file) {
  const uint32_t *end = order + opts.nfiles;
  const uint32_t *at = std::lower_bound(order, end, file, [&](uint32_t i, const char *f) {
    return std::strcmp(write_file_name(opts, i), f) < 0;
  });
  if (at != end && std::strcmp(write_file_name(opts, *at), file) == 0) return *at;
  return static_cast<uint32_t>(opts.nfiles);
}
}  // namespace

uint32_t *file_order(const write_options &opts) {
  uint32_t *order = static_cast<uint32_t *>(mem_alloc((opts.nfiles + 1) * sizeof(uint32_t)));
  if (order == nullptr) return nullptr;
  for (int64_t i = 0; i < opts.nfiles; ++i)
    order[i] = static_cast<uint32_t>(i);
  std::sort(order, order + opts.nfiles, [&](uint32_t x, uint32_t y) {
    int c = std::strcmp(write_file_name(opts, x), write_file_name(opts, y));
    return c != 0 ? c < 0 : x < y;
  });
  return order;
}

void place_by_file(const call_graph *graph, const write_options &opts, const uint32_t *order,
                   file_place *a, size_t n, bool by_line) {
  const symbol *syms = graph->cg_syms;
  // The records share one copy of each file name: rank each copy once.
  std::sort(a, a + n, [&](const file_place &x, const file_place &y) {
    return std::less<const char *>()(syms[x.sym].s_file, syms[y.sym].s_file) ||
           (syms[x.sym].s_file == syms[y.sym].s_file && x.sym < y.sym);
  });
  for (size_t i = 0; i < n;) {
    const char *file = syms[a[i].sym].s_file;
    uint32_t rank = file_rank(opts, order, file);
    for (; i < n && syms[a[i].sym].s_file == file; ++i)
      a[i].rank = rank;
  }
  uint32_t unknown = static_cast<uint32_t>(opts.nfiles);
  std::sort(a, a + n, [&](const file_place &x, const file_place &y) {
    if (x.rank != y.rank) return x.rank < y.rank;
    const symbol &sx = syms[x.sym], &sy = syms[y.sym];
    if (x.rank == unknown && sx.s_file != sy.s_file) return std::strcmp(sx.s_file, sy.s_file) < 0;
    if (by_line && sx.s_line != sy.s_line) return sx.s_line < sy.s_line;
    return x.sym < y.sym;
  });
}
