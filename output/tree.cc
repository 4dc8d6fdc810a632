// The numbered, indented tree listing. Names are right-aligned in fields that
// widen with depth, so the indentation comes from the field widths alone.
#include "graph/memory.h"
#include "output/writers.h"

namespace {
struct tree_ctx {
  call_graph *graph;
  out_buffer *out;
  walk_frame *stack;
  int64_t numwidth;
  int64_t number;  // running line number
};

// Writes one line for `sym`.
void tree_line(out_buffer *out, const symbol *sym, int64_t numwidth, int64_t namewidth,
               int64_t number) {
  out_num(out, number, numwidth);
  out_write(out, " ", 1);
  out_right(out, sym->s_name, static_cast<size_t>(sym->s_namelen), namewidth);
  if (sym->s_line == -1) {
    out_write(out, ": <>\n", 5);
    return;
  }
  out_str(out, sym->s_func ? ": (), <" : ": <");
  out_str(out, sym->s_file);
  out_write(out, " ", 1);
  out_num(out, sym->s_line, 0);
  out_write(out, ">\n", 2);
}

// Lists `sym` at `depth`; returns true, with the name width of its children,
// when its callees are to be walked next.
bool tree_visit(void *arg, symbol *sym, int64_t depth, int64_t width, int64_t *child_width) {
  tree_ctx *ctx = static_cast<tree_ctx *>(arg);
  if (sym_hidden(ctx->graph, sym)) return false;
  tree_line(ctx->out, sym, ctx->numwidth, width, ctx->number++);
  if (sym->s_seen) return false;
  sym->s_seen = 1;
  if (depth >= ctx->graph->cg_maxdepth || sym->s_callees == nullptr) return false;
  // Hidden callees widen the field too.
  int64_t longest = 0;
  for (const edge *e = sym->s_callees; e != nullptr; e = e->e_next) {
    if (e->e_sym->s_namelen > longest) longest = e->e_sym->s_namelen;
  }
  *child_width = width + longest + 3;
  return true;
}

int64_t decimal_digits(int64_t n) {
  int64_t digits = 0;
  for (; n > 0; n /= 10)
    ++digits;
  return digits;
}

void tree_reverse(tree_ctx *ctx, const sorted_entry *table, int64_t base_width) {
  call_graph *graph = ctx->graph;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    symbol *sym = table[i].sym;
    if (sym_hidden(graph, sym)) continue;
    tree_line(ctx->out, sym, ctx->numwidth, base_width, ctx->number++);
    if (graph->cg_maxdepth <= 0 || sym->s_callers == nullptr) continue;
    int64_t longest = 0;
    for (const edge *e = sym->s_callers; e != nullptr; e = e->e_next) {
      if (e->e_sym->s_namelen > longest) longest = e->e_sym->s_namelen;
    }
    // A hidden caller is passed over; the visible callers after it are
    // still listed.
    for (const edge *e = sym->s_callers; e != nullptr; e = e->e_next) {
      if (sym_hidden(graph, e->e_sym)) continue;
      tree_line(ctx->out, e->e_sym, ctx->numwidth, base_width + 1 + longest, ctx->number++);
    }
  }
}
}  // namespace

int print_tree(call_graph *graph, out_buffer *out) {
  int64_t n = graph->cg_nsyms;
  int64_t base_width = 0;
  for (const symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
    for (const edge *e = sym->s_callees; e != nullptr; e = e->e_next)
      ++n;
    if (sym->s_callers == nullptr && sym->s_namelen > base_width) base_width = sym->s_namelen;
  }
  tree_ctx ctx{graph, out, nullptr, decimal_digits(n), 1};
  if (graph->cg_reverse) {
    sorted_entry *table = sym_sorted_table(graph);
    if (table == nullptr) return 0;
    tree_reverse(&ctx, table, base_width);
    mem_free(table);
    return 1;
  }
  ctx.stack = static_cast<walk_frame *>(mem_alloc(walk_stack_size(graph) * sizeof(walk_frame)));
  if (ctx.stack == nullptr) return print_nomem();
  if (graph->cg_root != nullptr) {
    walk_forward(ctx.stack, graph->cg_root, graph->cg_root->s_namelen, tree_visit, &ctx);
  } else {
    for (symbol *sym = graph->cg_symbols; sym != nullptr; sym = sym->s_next) {
      if (!sym->s_seen) walk_forward(ctx.stack, sym, base_width, tree_visit, &ctx);
    }
  }
  mem_free(ctx.stack);
  return 1;
}
