// The GNU-assembler-syntax lexer: "//" and "/* */" comments, exact-case dot
// directives, and labels only where a colon follows the word directly.
#include "scan/blocks.h"
#include "scan/scanner.h"

namespace {
struct gnu_dialect {
  static constexpr unsigned char comment_char = '/';
  static constexpr bool line_labels = false;

  static token_class keyword(std::string_view w) {
    if (w.size() == 4 && lex_prefix(lex_load8(w.data()), 4) == lex_key("call")) return TK_CALL;
    return TK_START;
  }

  static token_class dot_word(std::string_view w) {
    if (w.size() > 8) return TK_OTHERDIR;
    uint64_t v = lex_prefix(lex_load8(w.data()), w.size());
    switch (w.size()) {
      case 4:
        if (v == lex_key(".bss")) return TK_DATASEC;
        break;
      case 5:
        if (v == lex_key(".data")) return TK_DATASEC;
        if (v == lex_key(".text")) return TK_TEXTSEC;
        break;
      case 6:
        if (v == lex_key(".globl")) return TK_GLOBAL;
        break;
      case 7:
        if (v == lex_key(".global")) return TK_GLOBAL;
        if (v == lex_key(".extern")) return TK_EXTERN;
        break;
      case 8:
        if (v == lex_key(".section")) return TK_SECTION;
        break;
    }
    return TK_OTHERDIR;
  }

  // Passes over a block comment whose opening "/*" ends before byte `i`. The
  // opening asterisk already counts, so "/*/" is a whole comment.
  static bool block_comment(lex_cursor *cur, size_t i) {
    scan_source *src = cur->src;
    bool star = true;  // the byte before i is an asterisk
    for (;;) {
      size_t n = src->len - i;
      size_t hit = lex_find2(src->buf + i, n, '/', '/');
      if (hit == n) {
        if (n > 0) star = src->buf[src->len - 1] == '*';
        if (!lex_refill(cur, src->len)) return false;
        i = 0;
        continue;
      }
      size_t slash = i + hit;
      if (hit > 0 ? src->buf[slash - 1] == '*' : star) {
        cur->pos = slash + 1;
        return true;
      }
      star = false;
      i = slash + 1;
    }
  }

  // What follows a slash at `p`: a line comment, a block comment, or nothing
  // (a lone slash). False at the end of the file.
  static bool comment(lex_cursor *cur, size_t p) {
    size_t i = p + 1;
    if (i == cur->src->len) {
      if (!lex_refill(cur, i)) return false;
      i = 0;
    }
    unsigned char c = cur->src->buf[i];
    if (c == '*') return block_comment(cur, i + 1);
    if (c != '/') {
      cur->pos = i;
      return true;
    }
    ++i;
    if (!lex_seek(cur, &i, '\n', '\n')) return false;
    cur->pos = i + 1;
    return true;
  }
};
}  // namespace

scan_result scan_gnu(call_graph *graph, scan_source *src, const char *file) {
  return lex_scan<gnu_dialect>(graph, src, file);
}
