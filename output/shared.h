// What every writer shares: the output filter, the name order of the reverse
// outputs, the forward walk with its own stack and visited marks, and the
// walk plan that puts them together, so that a writer only formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "graph/symbol_graph.h"
#include "output/writers.h"

// True when the writers must not show `sym`: underscore names without -i _,
// data symbols without -i x, names that no file defines with -e, and a name
// whose callers were moved to the record it stands for.
inline bool sym_hidden(const write_options &opts, const symbol &sym) {
  return (!opts.show_under && sym.s_first == '_') || (!opts.show_data && !sym.s_func) ||
         (opts.hide_external && sym.s_line == -1) || sym.s_moved;
}

// The root the forward outputs start from: the first symbol named
// opts.root_name, or else (with root_by_short_name) the first function with
// that short name; SYM_NONE when there is none. False when memory is
// exhausted.
bool plan_find_root(const call_graph *graph, const write_options &opts, sym_id *root);

// One symbol placed by the file that defines it.
struct file_place {
  uint32_t rank;  // the file's place among the files read
  sym_id sym;
};

// The places of opts.files sorted by name, then by place, in an array for
// mem_free, that place_by_file needs; null when memory is exhausted.
uint32_t *file_order(const write_options &opts);

// Gives every entry its file's place among opts.files (files that are not
// among them come after those, in name order) and sorts the entries by it,
// then by line when `by_line`, then in list order. `order` is from file_order.
void place_by_file(const call_graph *graph, const write_options &opts, const uint32_t *order,
                   file_place *a, size_t n, bool by_line);

// One entry of the name-sorted table of the reverse outputs.
struct sorted_entry {
  uint64_t key;  // eight bytes of the name, as a number that sorts like them; the
                 // first eight once the table is made, others while it is sorted
  sym_id sym;
};

// Returns every symbol of the graph sorted by name, equal names in list
// order, in an array of graph->cg_nsyms entries for mem_free; null when
// memory is exhausted.
sorted_entry *sym_sorted_table(const call_graph *graph);

// Symbols of the name-sorted table taken a few at a time, each with the
// first few entries of its caller list: the lists lie scattered, and
// walking those of several symbols side by side, with every record asked
// for ahead of use, waits for memory once per batch rather than once per
// entry.
constexpr int REVERSE_BATCH = 16;
constexpr int REVERSE_AHEAD = 8;
struct reverse_item {
  sym_id sym;
  int ahead;                      // entries in `callers`
  sym_id callers[REVERSE_AHEAD];  // the first entries of the caller list
  cell_id rest;                   // the rest of the list
};

// Fills `items` for the symbols table[at], table[at + 1], ... (at most
// REVERSE_BATCH of them, none past the end); returns how many. With
// `callers` false the items hold no callers.
int reverse_gather(const call_graph *graph, const sorted_entry *table, int64_t at, bool callers,
                   reverse_item *items);

// Calls f(caller) on every caller entry of `item`, in list order.
template <class F>
void reverse_callers(const call_graph *graph, const reverse_item &item, F f) {
  for (int j = 0; j < item.ahead; ++j)
    f(item.callers[j]);
  for (cell_id c = item.rest; c != CELL_NONE; c = graph->cg_cells[c].e_next)
    f(graph->cg_cells[c].e_sym);
}

// One frame of a forward walk's own stack; its depth is its place there.
struct walk_frame {
  int64_t width;  // the name width of the frame's children (tree listing only)
  cell_id next;   // next callee entry to walk
};

// What one forward walking run owns: its stack, deep enough for any walk of
// the graph within the depth limit, and one visited mark per symbol. A
// symbol stays marked for the rest of the run, across walks.
struct walk_run {
  walk_frame *stack;
  uint64_t *marks;  // the bit of a marked symbol's place is set; in the stack's block
};

// Allocates a run's stack and marks, all clear; false when memory is exhausted.
bool walk_begin(walk_run *run, const call_graph *graph, const write_options &opts);

// Releases what walk_begin allocated.
void walk_end(walk_run *run);

inline bool walk_marked(const walk_run &run, sym_id id) {
  return (run.marks[id / 64] >> (id % 64)) & 1;
}

inline void walk_mark(walk_run *run, sym_id id) {
  run->marks[id / 64] |= uint64_t{1} << (id % 64);
}

// Walks depth first from `top` (depth 0, name width `width`) through the
// callee entries in list order. `visit(id, depth, width)` is called on every
// symbol met and returns the name width of its children when its callee
// entries are to be walked next, nothing otherwise. The walk keeps its own
// stack, so that a call chain of any length cannot overflow the process stack.
template <class Visit>
void walk_forward(walk_run *run, const call_graph *graph, sym_id top, int64_t width, Visit visit) {
  std::optional<int64_t> child_width = visit(top, int64_t{0}, width);
  if (!child_width) return;
  walk_frame *stack = run->stack;
  const edge *cells = graph->cg_cells;
  const symbol *syms = graph->cg_syms;
  int64_t sp = 0;
  stack[sp++] = walk_frame{*child_width, syms[top].s_callees};
  while (sp > 0) {
    walk_frame *f = &stack[sp - 1];
    if (f->next == CELL_NONE) {
      --sp;
      continue;
    }
    sym_id child = cells[f->next].e_sym;
    f->next = cells[f->next].e_next;
    if ((child_width = visit(child, sp, f->width))) {
      stack[sp++] = walk_frame{*child_width, syms[child].s_callees};
    }
  }
}

// What every writer walks. Forward: the root, or, when no symbol bears the
// root name, every symbol not yet reached, in list order; each visible
// symbol is met wherever it recurs and expanded where it is first met,
// unless it is at the depth limit. Reverse: every visible symbol in name
// order, each with its visible callers one level deep (none at a depth of 0
// or less).
struct walk_plan {
  const call_graph *graph;
  const write_options *opts;
  walk_run run;         // forward: the stack and the marks
  sorted_entry *table;  // reverse: every symbol in name order
  sym_id root;          // forward: the root, or SYM_NONE
};

// Allocates what the walk needs and finds the root; false when memory is
// exhausted (nothing is then held).
bool plan_begin(walk_plan *plan, const call_graph *graph, const write_options &opts);

// Releases what plan_begin allocated.
void plan_end(walk_plan *plan);

// True when a finished walk reached `id`: forward, when it marked it;
// reverse, when the filter shows it.
inline bool plan_reached(const walk_plan &plan, sym_id id) {
  if (plan.opts->reverse) return !sym_hidden(*plan.opts, plan.graph->cg_syms[id]);
  return walk_marked(plan.run, id);
}

// Walks forward, telling the writer `w`:
//   w.top(id, rooted): the context (a number of the writer's own) of the top
//     symbol `id`; `rooted` when it is the root;
//   w.meet(id, depth, context, first): a visible symbol is met, `first` when
//     it was not met before;
//   w.expand(id, depth, context): its callees are walked next; returns their
//     context.
template <class W>
void plan_forward(walk_plan *plan, W &w) {
  const call_graph *graph = plan->graph;
  const write_options &opts = *plan->opts;
  // The depth test comes after the mark, so a symbol first met at the limit
  // is not expanded where it recurs higher up either.
  auto visit = [&](sym_id id, int64_t depth, int64_t context) -> std::optional<int64_t> {
    const symbol &sym = graph->cg_syms[id];
    if (sym_hidden(opts, sym)) return std::nullopt;
    bool first = !walk_marked(plan->run, id);
    w.meet(id, depth, context, first);
    if (!first) return std::nullopt;
    walk_mark(&plan->run, id);
    if (depth >= opts.max_depth || sym.s_callees == CELL_NONE) return std::nullopt;
    return w.expand(id, depth, context);
  };
  if (plan->root != SYM_NONE) {
    walk_forward(&plan->run, graph, plan->root, w.top(plan->root, true), visit);
    return;
  }
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    sym_id id = static_cast<sym_id>(i);
    if (!walk_marked(plan->run, id)) walk_forward(&plan->run, graph, id, w.top(id, false), visit);
  }
}

// Walks in reverse, telling the writer `w`:
//   w.source(item): the next visible symbol in name order (item.sym), with
//     its callers when the depth allows them;
//   w.caller(item, id): one of its visible callers, in list order. A hidden
//     caller is passed over; the visible ones after it still come.
template <class W>
void plan_reverse(walk_plan *plan, W &w) {
  const call_graph *graph = plan->graph;
  const write_options &opts = *plan->opts;
  bool callers = opts.max_depth > 0;
  reverse_item items[REVERSE_BATCH];
  for (int64_t i = 0; i < graph->cg_nsyms;) {
    int n = reverse_gather(graph, plan->table, i, callers, items);
    i += n;
    for (int k = 0; k < n; ++k) {
      if (sym_hidden(opts, graph->cg_syms[items[k].sym])) continue;
      w.source(items[k]);
      if (!callers) continue;
      reverse_callers(graph, items[k], [&](sym_id id) {
        if (!sym_hidden(opts, graph->cg_syms[id])) w.caller(items[k], id);
      });
    }
  }
}

// Calls f(id) on the symbol of every visible entry of `list`, in list order.
// A few entries at a time: their records, then (when `names`) their names,
// are asked for before the first is handed on.
template <class F>
void plan_each_visible(const call_graph *graph, const write_options &opts, cell_id list, F f,
                       bool names = true) {
  const symbol *syms = graph->cg_syms;
  const edge *cells = graph->cg_cells;
  sym_id batch[16];
  for (cell_id c = list; c != CELL_NONE;) {
    int n = 0;
    for (; c != CELL_NONE && n < 16; c = cells[c].e_next) {
      batch[n] = cells[c].e_sym;
      __builtin_prefetch(&syms[batch[n++]]);
    }
    for (int k = 0; names && k < n; ++k)
      __builtin_prefetch(sym_name(graph, syms[batch[k]]));
    for (int k = 0; k < n; ++k) {
      if (!sym_hidden(opts, syms[batch[k]])) f(batch[k]);
    }
  }
}
