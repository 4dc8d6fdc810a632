// The character-level steps of the precise NASM reader (-p): comments,
// continued lines, strings, names, and the rest of a line passed over.
#include "scan/lex/keys.h"
#include "scan/precise/nasm_ops.h"
#include "scan/precise/nasm_reader.h"

namespace {
// Consumes a comment after its ";" and the newline that ends it; a backslash
// right before the newline carries it on. Returns '\n' or SRC_EOF.
int np_comment(nasm_reader *r) {
  scan_source *src = r->lx.src;
  int prev = 0;  // the byte before the newline, which a refill may have moved out
  for (;;) {
    const unsigned char *p = src->buf + src->pos;
    size_t left = src->len - src->pos;
    const auto *nl = static_cast<const unsigned char *>(std::memchr(p, '\n', left));
    if (nl == nullptr) {
      if (left > 0) prev = p[left - 1];
      src->pos = src->len;
      if (!src_fill(src)) return SRC_EOF;
      continue;
    }
    if (nl > p) prev = nl[-1];
    src->pos = static_cast<size_t>(nl - src->buf) + 1;
    r->lx.line++;
    if (prev != '\\') return '\n';
    prev = '\n';
  }
}
}  // namespace

void np_gnu_register(nasm_reader *r) {
  precise_lexer *lx = &r->lx;
  std::string_view run = src_take_run(lx->src, [](const unsigned char *p) {
    while (syntax_classes.cls[*p] & CH_NASM_NAME)
      ++p;
    return p;
  });
  if (nasm_register(run)) {
    char detail[16] = "%";
    std::memcpy(detail + 1, run.data(), run.size());
    scan_warn(&lx->warnings, scan_warning::gnu_as_nasm, {detail, run.size() + 1});
  }
}

[[gnu::noinline]] int np_next_slow(nasm_reader *r) {
  scan_source *src = r->lx.src;
  for (;;) {
    int c = precise_skip_blanks(&r->lx);
    switch (c) {
      case '\n':
        r->lx.line++;
        return c;
      case ';':
        return np_comment(r);
      case '\\': {
        int d = src_get(src);
        if (d == '\n') {
          r->lx.line++;
          continue;
        }
        if (d != SRC_EOF) src_unget(src);
        return c;
      }
      default:
        return c;
    }
  }
}

int np_next_line(nasm_reader *r) {
  return precise_next_line(&r->lx, np_plain.is, [r] { return np_next(r); });
}

void np_quoted(nasm_reader *r, int quote) {
  scan_source *src = r->lx.src;
  for (int c = src_get(src); c != SRC_EOF && c != quote; c = src_get(src)) {
    if (c == '\n') {
      src_unget(src);
      return;
    }
    if (c == '\\' && quote == '`') {
      c = src_get(src);
      if (c == SRC_EOF) return;
      if (c == '\n') r->lx.line++;
    }
  }
}

void np_pass(nasm_reader *r) {
  precise_pass(&r->lx, syntax_classes.cls, CH_NASM_NAME);
}

void np_skip(nasm_reader *r, int c) {
  for (; !np_end(c); c = np_next(r)) {
    if (c == '"' || c == '\'' || c == '`') np_quoted(r, c);
    nasm_pass_skipped(r->lx.src);
  }
}

int np_name(nasm_reader *r, int *c) {
  if (*c == '$') {
    int d = src_get(r->lx.src);
    if (!np_name_start(d)) {
      if (d != SRC_EOF) src_unget(r->lx.src);
      return -1;
    }
    *c = d;
  }
  if (!np_name_start(*c)) return -1;
  return precise_read_name(&r->lx, *c, CH_NASM_NAME) ? 1 : np_fail(r);
}
