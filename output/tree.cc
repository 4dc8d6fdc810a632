// The numbered, indented tree listing. Names are right-aligned in fields that
// widen with depth, so the indentation comes from the field widths alone.
#include <cstring>

#include "memory/memory.h"
#include "output/names.h"
#include "output/shared.h"

namespace {
// The running line number as text, right-aligned in `n_text`: counting on
// in decimal costs less than writing a number anew for every line.
struct line_number {
  char n_text[24];
  size_t n_digits;
};

void number_start(line_number *n) {
  std::memset(n->n_text, ' ', sizeof n->n_text);
  n->n_text[sizeof n->n_text - 1] = '1';
  n->n_digits = 1;
}

void number_next(line_number *n) {
  size_t i = sizeof n->n_text - 1;
  while (n->n_text[i] == '9')
    n->n_text[i--] = '0';
  if (n->n_text[i] == ' ') {
    n->n_text[i] = '1';
    n->n_digits++;
  } else {
    n->n_text[i]++;
  }
}

// One listing being written: where it goes and its line numbers.
struct tree_listing {
  const call_graph *graph;
  const shown_names *names;
  out_buffer *out;
  size_t numwidth;  // the width of the number field, at most 19
  line_number number;
  // The file of the last line and its length: lines mostly come from one file.
  const char *file;
  size_t filelen;
};

// A line put together in room that out_room gave.
struct in_place {
  char *p;
  void put(const char *s, size_t n) { p = out_put(p, s, n); }
  void blanks(size_t n) {
    std::memset(p, ' ', n);
    p += n;
  }
  void num(int64_t n) { p = out_put_num(p, n); }
};

// A line too long for that (a name, a padding or a file of kilobytes),
// written piece by piece.
struct piecewise {
  out_buffer *out;
  void put(const char *s, size_t n) { out_write(out, s, n); }
  void blanks(size_t n) { out_right(out, "", 0, static_cast<int64_t>(n)); }
  void num(int64_t n) { out_num(out, n, 0); }
};

// Puts the pieces of the line for `sym` into `line`: the number of the next
// line right-aligned in its field (like "%*ld"), a blank, the name after
// `pad` blanks, then ": <>" for a symbol only referenced, or ": (), <" (a
// function) or ": <" (data), the file of `filelen` bytes, a blank, the
// line and ">".
template <class Line>
void tree_pieces(tree_listing *t, const symbol &sym, std::string_view name, size_t pad,
                 size_t filelen, Line &line) {
  const line_number &n = t->number;
  size_t width = t->numwidth > n.n_digits ? t->numwidth : n.n_digits;
  line.put(n.n_text + sizeof n.n_text - width, width);
  number_next(&t->number);
  line.blanks(1 + pad);
  line.put(name.data(), name.size());
  if (sym.s_line == -1) {
    line.put(": <>\n", 5);
    return;
  }
  if (sym.s_func) {
    line.put(": (), <", 7);
  } else {
    line.put(": <", 3);
  }
  line.put(sym.s_file, filelen);
  line.blanks(1);
  line.num(sym.s_line);
  line.put(">\n", 2);
}

// Writes one line for the symbol `id`, its name after `pad` blanks.
void tree_line_padded(tree_listing *t, sym_id id, size_t pad) {
  out_buffer *out = t->out;
  const symbol &sym = t->graph->cg_syms[id];
  std::string_view name = name_shown(*t->names, id);
  size_t len = name.size();
  size_t filelen = 0;
  if (sym.s_line != -1) {
    if (sym.s_file != t->file) {
      t->file = sym.s_file;
      t->filelen = std::strlen(sym.s_file);
    }
    filelen = t->filelen;
  }
  // The number, its blank, the padded name, ": (), <", the file, its blank,
  // the line number and ">\n".
  size_t most = 20 + 1 + pad + len + 7 + filelen + 1 + 20 + 2;
  if (most > OUT_RUN_MAX) {
    piecewise line{out};
    tree_pieces(t, sym, name, pad, filelen, line);
    return;
  }
  in_place line{out_room(out, most)};
  tree_pieces(t, sym, name, pad, filelen, line);
  out_commit(out, line.p);
}

int64_t shown_length(const shown_names &names, sym_id id) {
  if (names.views != nullptr) return static_cast<int64_t>(names.views[id].size());
  return names.graph->cg_syms[id].s_namelen;
}

// Writes one line for the symbol `id`, its name right-aligned in `namewidth` columns.
void tree_line(tree_listing *t, sym_id id, int64_t namewidth) {
  int64_t len = shown_length(*t->names, id);
  tree_line_padded(t, id, namewidth > len ? static_cast<size_t>(namewidth - len) : 0);
}

// The longest name of the callers of `item`; hidden names count too, so
// that a hidden entry still widens the field of its visible siblings.
int64_t longest_caller(const shown_names &names, const reverse_item &item) {
  int64_t longest = 0;
  reverse_callers(names.graph, item, [&](sym_id id) {
    int64_t len = shown_length(names, id);
    if (len > longest) longest = len;
  });
  return longest;
}

// The longest name that `list` points at, hidden ones too.
int64_t longest_name(const shown_names &names, cell_id list) {
  const call_graph *graph = names.graph;
  int64_t longest = 0;
  for (cell_id c = list; c != CELL_NONE; c = graph->cg_cells[c].e_next) {
    int64_t len = shown_length(names, graph->cg_cells[c].e_sym);
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

// The tree's side of the walk plan. A forward context is the name width of
// the symbols met there; in the compact layout names are left-aligned and
// each level is indented by TREE_STEP blanks.
constexpr size_t TREE_STEP = 2;
struct tree_writer {
  tree_listing *t;
  const shown_names &names;
  int64_t base_width;
  bool compact;
  int64_t callers_width = 0;

  int64_t top(sym_id id, bool rooted) {
    // The root's name fills its field exactly.
    return rooted ? shown_length(names, id) : base_width;
  }
  // A symbol is listed wherever it recurs, and expanded only where it is
  // first met.
  void meet(sym_id id, int64_t depth, int64_t width, bool) {
    if (compact) return tree_line_padded(t, id, static_cast<size_t>(depth) * TREE_STEP);
    tree_line(t, id, width);
  }
  int64_t expand(sym_id id, int64_t, int64_t width) {
    if (compact) return 0;
    return width + longest_name(names, names.graph->cg_syms[id].s_callees) + 3;
  }
  void source(const reverse_item &item) {
    if (compact) return tree_line_padded(t, item.sym, 0);
    tree_line(t, item.sym, base_width);
    callers_width = base_width + 1 + longest_caller(names, item);
  }
  void caller(const reverse_item &, sym_id id) {
    if (compact) return tree_line_padded(t, id, TREE_STEP);
    tree_line(t, id, callers_width);
  }
};
}  // namespace

bool print_tree(const call_graph *graph, const write_options &opts, out_buffer *out) {
  shown_names names;
  if (!names_begin(&names, graph, opts.short_names)) return false;
  // The numbers are as wide as the largest a listing can reach: one line
  // per symbol and per callee entry.
  int64_t n = graph->cg_nsyms;
  int64_t base_width = 0;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    const symbol &sym = graph->cg_syms[i];
    for (cell_id c = sym.s_callees; c != CELL_NONE; c = graph->cg_cells[c].e_next)
      ++n;
    int64_t len = shown_length(names, static_cast<sym_id>(i));
    if (sym.s_callers == CELL_NONE && len > base_width) base_width = len;
  }
  walk_plan plan;
  if (!plan_begin(&plan, graph, opts)) {
    names_end(&names);
    return false;
  }
  tree_listing t{graph, &names, out, static_cast<size_t>(decimal_digits(n)), {}, nullptr, 0};
  number_start(&t.number);
  tree_writer w{&t, names, base_width, opts.compact};
  if (opts.reverse) {
    plan_reverse(&plan, w);
  } else {
    plan_forward(&plan, w);
  }
  plan_end(&plan);
  names_end(&names);
  return true;
}
