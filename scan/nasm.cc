// The NASM-syntax lexer: semicolon comments, case-blind keywords, and labels
// that are either followed by a colon or stand first on their line.
#include "scan/scanner.h"

namespace {
// Passes begun since the last line end. It deliberately outlives a file: a
// file's first line never starts with a count of 0.
int64_t nasm_line_tokens = 0;

// True when the word of length `len` is `keyword`, ignoring ASCII case.
bool nasm_is(const scan_word &word, const char *keyword, size_t len) {
  if (word.w_len != len) return false;
  for (size_t i = 0; i < len; ++i) {
    if (scan_fold[static_cast<unsigned char>(word.w_text[i])] !=
        scan_fold[static_cast<unsigned char>(keyword[i])]) {
      return false;
    }
  }
  return true;
}

token_class nasm_dot_word(const scan_word &word) {
  if (nasm_is(word, ".bss", 4) || nasm_is(word, ".data", 5)) return TK_DATASEC;
  if (nasm_is(word, ".text", 5)) return TK_TEXTSEC;
  return TK_OTHERDIR;
}

// Classifies a word; may consume the colon that makes it a label.
token_class nasm_word(scan_state *st) {
  const scan_word &word = st->word;
  if (nasm_is(word, "section", 7)) return TK_SECTION;
  if (nasm_is(word, "global", 6)) return TK_GLOBAL;
  if (nasm_is(word, "extern", 6)) return TK_EXTERN;
  if (nasm_is(word, "call", 4)) return TK_CALL;
  int c = src_get(st->src);
  if (c == ':') return TK_LABEL;
  if (c != SRC_EOF) src_unget(st->src);
  return nasm_line_tokens == 0 ? TK_LABEL : TK_IDENT;
}

// Consumes a comment after its semicolon. Returns 0 at end of file.
int nasm_comment(scan_state *st) {
  scan_source *src = st->src;
  for (;;) {
    // Pass over the plain characters in the buffer at once.
    const unsigned char *p = src->buf + src->pos;
    const unsigned char *end = src->buf + src->len;
    while (p < end && *p != '\n' && *p != '\\')
      ++p;
    src->pos = static_cast<size_t>(p - src->buf);
    int c = src_get(src);
    if (c == SRC_EOF) return 0;
    if (c == '\n') {
      st->lineno++;
      nasm_line_tokens = 0;
      return 1;
    }
    if (c == '\\') {
      // A backslash carries the comment over whatever follows it; only a
      // real newline counts as a line.
      c = src_get(src);
      if (c == SRC_EOF) return 0;
      if (c == '\n') st->lineno++;
    }
  }
}
}  // namespace

void scan_nasm_reset() {
  nasm_line_tokens = 0;
}

int scan_nasm(call_graph *graph, scan_source *src, const char *file) {
  scan_state st;
  scan_begin(&st, graph, src, file);
  int ok = 1;
  for (;;) {
    nasm_line_tokens++;  // a pass begins
    int c;
    for (;;) {
      // Pass over the white space in the buffer at once.
      const unsigned char *p = src->buf + src->pos;
      while (scan_char_class[*p] & CH_SPACE) {  // stops at the 0 after the data
        if (*p == '\n') {
          st.lineno++;
          nasm_line_tokens = 0;
        }
        ++p;
      }
      src->pos = static_cast<size_t>(p - src->buf);
      c = src_get(src);
      if (c == SRC_EOF) goto done;
      if (scan_char_class[c] & CH_SPACE) {
        if (c == '\n') {
          st.lineno++;
          nasm_line_tokens = 0;
        }
        continue;
      }
      if (c == ';') {
        if (!nasm_comment(&st)) goto done;
        continue;
      }
      break;
    }
    if (c == '"' || c == '\'') {
      if (!scan_string(&st, c)) goto done;
    } else if (c == '.') {
      if (!scan_read_word(&st, c, &ok)) goto done;
      if (!scan_apply(&st, nasm_dot_word(st.word))) {
        ok = 0;
        goto done;
      }
    } else if (scan_char_class[c] & CH_WORD_START) {
      if (!scan_read_word(&st, c, &ok)) goto done;
      if (!scan_apply(&st, nasm_word(&st))) {
        ok = 0;
        goto done;
      }
    }
    // Anything else is an ignored character: it ends the pass and nothing more.
  }
done:
  scan_end(&st);
  return ok;
}
