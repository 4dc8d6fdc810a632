// Passing over strings and comments on the block cursor. Which of these a
// dialect has, and which byte opens them, is its syntax's business; each
// takes the cursor at the opening byte and leaves it after the closing one.
// All return false when the file ends inside.
#pragma once

#include <cstddef>

#include "scan/lex/cursor.h"

// A quoted string whose opening quote is at `p`. A backslash keeps the byte
// after it from ending the string.
[[gnu::noinline]] inline bool lex_skip_string(lex_cursor *cur, size_t p) {
  unsigned char quote = cur->src->buf[p];
  size_t i = p + 1;
  for (;;) {
    if (!lex_seek(cur, &i, quote, '\\')) return false;
    if (cur->src->buf[i] == quote) {
      cur->pos = i + 1;
      return true;
    }
    ++i;
    if (!lex_step_escaped(cur, &i)) return false;
  }
}

// A comment that runs from byte `i` to the end of its line; with `escapes`,
// a backslash carries the comment over whatever follows it, a newline too.
inline bool lex_skip_line_comment(lex_cursor *cur, size_t i, bool escapes) {
  unsigned char escape = escapes ? '\\' : '\n';
  for (;;) {
    if (!lex_seek(cur, &i, '\n', escape)) return false;
    if (cur->src->buf[i] == '\n') {
      cur->pos = i + 1;
      return true;
    }
    ++i;
    if (!lex_step_escaped(cur, &i)) return false;
  }
}

// A block comment whose opening "/*" ends before byte `i`. The opening
// asterisk already counts, so "/*/" is a whole comment.
inline bool lex_skip_block_comment(lex_cursor *cur, size_t i) {
  scan_source *src = cur->src;
  bool star = true;  // the byte before i is an asterisk
  for (;;) {
    size_t n = src->len - i;
    size_t hit = simd_find2(cur->lines.kernel, src->buf + i, n, '/', '/');
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

// What follows a slash at `p`: a line comment ("//"), a block comment
// ("/*"), or nothing (a lone slash).
inline bool lex_skip_slash(lex_cursor *cur, size_t p) {
  size_t i = p + 1;
  if (i == cur->src->len) {
    if (!lex_refill(cur, i)) return false;
    i = 0;
  }
  unsigned char c = cur->src->buf[i];
  if (c == '*') return lex_skip_block_comment(cur, i + 1);
  if (c != '/') {
    cur->pos = i;
    return true;
  }
  return lex_skip_line_comment(cur, i + 1, false);
}
