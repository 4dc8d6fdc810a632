// The numbered, indented tree listing. Names are right-aligned in fields that
// widen with depth, so the indentation comes from the field widths alone.
#include "graph/memory.h"
#include "output/shared.h"

namespace {
// One listing being written: where it goes and its line numbers.
struct tree_listing {
  const call_graph *graph;
  out_buffer *out;
  int64_t numwidth;
  int64_t number;  // running line number
};

// Writes one line for `sym`, its name right-aligned in `namewidth` columns.
void tree_line(tree_listing *t, const symbol &sym, int64_t namewidth) {
  out_buffer *out = t->out;
  out_num(out, t->number++, t->numwidth);
  out_write(out, " ", 1);
  out_right(out, sym_name(t->graph, sym), sym.s_namelen, namewidth);
  if (sym.s_line == -1) {
    out_write(out, ": <>\n", 5);
    return;
  }
  out_str(out, sym.s_func ? ": (), <" : ": <");
  out_str(out, sym.s_file);
  out_write(out, " ", 1);
  out_num(out, sym.s_line, 0);
  out_write(out, ">\n", 2);
}

// The longest name that `list` points at; hidden names count too, so that
// a hidden entry still widens the field of its visible siblings.
int64_t longest_name(const call_graph *graph, cell_id list) {
  int64_t longest = 0;
  for (cell_id c = list; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
    int64_t len = graph->cg_syms[graph->cg_cells[c].e_sym].s_namelen;
    if (len > longest) longest = len;
  }
  return longest;
}

int64_t decimal_digits(int64_t n) {
  int64_t digits = 0;
  for (; n > 0; n /= 10)
    ++digits;
  return digits;
}

// Every symbol in name order, each with its callers one level deep.
void tree_reverse(tree_listing *t, const call_graph *graph, const write_options &opts,
                  const sorted_entry *table, int64_t base_width) {
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol &sym = graph->cg_syms[table[i].sym];
    if (sym_hidden(opts, sym)) continue;
    tree_line(t, sym, base_width);
    if (opts.max_depth <= 0) continue;
    int64_t width = base_width + 1 + longest_name(graph, sym.s_callers);
    // A hidden caller is passed over; the visible callers after it are
    // still listed.
    for (cell_id c = sym.s_callers; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
      const symbol &caller = graph->cg_syms[graph->cg_cells[c].e_sym];
      if (!sym_hidden(opts, caller)) tree_line(t, caller, width);
    }
  }
}
}  // namespace

bool print_tree(const call_graph *graph, const write_options &opts, out_buffer *out) {
  // The numbers are as wide as the largest a listing can reach: one line
  // per symbol and per callee entry.
  int64_t n = graph->cg_nsyms;
  int64_t base_width = 0;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol &sym = graph->cg_syms[i];
    for (cell_id c = sym.s_callees; c != CELL_NONE; c = graph->cg_cells[c].e_next)
      ++n;
    if (sym.s_callers == CELL_NONE && sym.s_namelen > base_width) base_width = sym.s_namelen;
  }
  tree_listing t{graph, out, decimal_digits(n), 1};
  if (opts.reverse) {
    sorted_entry *table = sym_sorted_table(graph);
    if (table == nullptr) return false;
    tree_reverse(&t, graph, opts, table, base_width);
    mem_free(table);
    return true;
  }
  walk_run run;
  if (!walk_begin(&run, graph, opts)) return false;
  // A symbol is listed wherever it recurs, but expanded only where it is
  // first met; the depth test comes after the mark, so a symbol first met at
  // the limit is not expanded where it recurs higher up either.
  auto visit = [&](sym_id id, int64_t depth, int64_t width) -> std::optional<int64_t> {
    const symbol &sym = graph->cg_syms[id];
    if (sym_hidden(opts, sym)) return std::nullopt;
    tree_line(&t, sym, width);
    if (walk_marked(run, id)) return std::nullopt;
    walk_mark(&run, id);
    if (depth >= opts.max_depth || sym.s_callees == CELL_NONE) return std::nullopt;
    return width + longest_name(graph, sym.s_callees) + 3;
  };
  if (sym_id root = sym_lookup(graph, opts.root_name); root != SYM_NONE) {
    walk_forward(&run, graph, root, graph->cg_syms[root].s_namelen, visit);
  } else {
    for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
      sym_id id = static_cast<sym_id>(i);
      if (!walk_marked(run, id)) walk_forward(&run, graph, id, base_width, visit);
    }
  }
  walk_end(&run);
  return true;
}
