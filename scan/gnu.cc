// The GNU-assembler-syntax lexer: "//" and "/* */" comments, exact-case dot
// directives, and labels only where a colon follows the word directly.
#include <cstring>

#include "scan/scanner.h"

namespace {
bool gnu_is(const scan_word &word, const char *text, size_t len) {
  return word.w_len == len && std::memcmp(word.w_text, text, len) == 0;
}

token_class gnu_dot_word(const scan_word &word) {
  if (gnu_is(word, ".bss", 4) || gnu_is(word, ".data", 5)) return TK_DATASEC;
  if (gnu_is(word, ".text", 5)) return TK_TEXTSEC;
  if (gnu_is(word, ".section", 8)) return TK_SECTION;
  if (gnu_is(word, ".global", 7) || gnu_is(word, ".globl", 6)) return TK_GLOBAL;
  if (gnu_is(word, ".extern", 7)) return TK_EXTERN;
  return TK_OTHERDIR;
}

// Classifies a word; may consume the colon that makes it a label.
token_class gnu_word(scan_state *st) {
  if (gnu_is(st->word, "call", 4)) return TK_CALL;
  int c = src_get(st->src);
  if (c == ':') return TK_LABEL;
  if (c != SRC_EOF) src_unget(st->src);
  return TK_IDENT;
}

// Consumes what follows a slash: a line comment, a block comment, or nothing
// (a lone slash). Returns 0 at end of file.
int gnu_slash(scan_state *st) {
  scan_source *src = st->src;
  int c = src_get(src);
  if (c == SRC_EOF) return 0;
  if (c == '/') {
    for (;;) {
      // The rest of the line, a buffer at a time.
      const unsigned char *p = src->buf + src->pos;
      const void *nl = std::memchr(p, '\n', src->len - src->pos);
      src->pos =
          nl ? static_cast<size_t>(static_cast<const unsigned char *>(nl) - src->buf) : src->len;
      c = src_get(src);
      if (c == SRC_EOF) return 0;
      if (c == '\n') {
        st->lineno++;
        return 1;
      }
    }
  }
  if (c != '*') {
    src_unget(src);
    return 1;
  }
  // The opening asterisk already counts, so "/*/" is a whole comment.
  int star = 1;
  for (;;) {
    c = src_get(src);
    if (c == SRC_EOF) return 0;
    if (c == '/' && star) return 1;
    if (c == '\n') st->lineno++;
    star = c == '*';
  }
}
}  // namespace

int scan_gnu(call_graph *graph, scan_source *src, const char *file) {
  scan_state st;
  scan_begin(&st, graph, src, file);
  int ok = 1;
  for (;;) {
    // Pass over the white space in the buffer at once.
    const unsigned char *p = src->buf + src->pos;
    while (scan_char_class[*p] & CH_SPACE) {  // stops at the 0 after the data
      if (*p == '\n') st.lineno++;
      ++p;
    }
    src->pos = static_cast<size_t>(p - src->buf);
    int c = src_get(src);
    if (c == SRC_EOF) break;
    if (scan_char_class[c] & CH_SPACE) {
      if (c == '\n') st.lineno++;
      continue;
    }
    if (c == '/') {
      if (!gnu_slash(&st)) break;
    } else if (c == '"' || c == '\'') {
      if (!scan_string(&st, c)) break;
    } else if (c == '.') {
      if (!scan_read_word(&st, c, &ok)) break;
      if (!scan_apply(&st, gnu_dot_word(st.word))) {
        ok = 0;
        break;
      }
    } else if (scan_char_class[c] & CH_WORD_START) {
      if (!scan_read_word(&st, c, &ok)) break;
      if (!scan_apply(&st, gnu_word(&st))) {
        ok = 0;
        break;
      }
    }
    // Anything else is an ignored character.
  }
  scan_end(&st);
  return ok;
}
