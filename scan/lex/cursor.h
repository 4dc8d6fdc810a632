// A cursor over the source that looks at it 64 bytes at a time: one pass of
// a kernel's masks says where a token may begin, and a bit scan jumps there,
// over white space, digits and punctuation without a test per byte. It
// refills the buffer, carries a token that a read cut off over to the next
// read, and counts lines only when asked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/lex/chars.h"
#include "scan/lex/lines.h"
#include "scan/lex/source.h"
#include "scan/simd/dispatch.h"

// No block held: far enough from any byte that pos - blk is never below 64.
constexpr size_t LEX_NO_BLOCK = SIZE_MAX / 2;

struct lex_cursor {
  scan_source *src;
  const unsigned char *cls;   // the run's byte classes
  size_t pos = 0;             // the next byte to look at
  size_t blk = LEX_NO_BLOCK;  // start of the block whose masks are held
  uint64_t starts = 0;        // bytes of that block where a token may begin
  uint64_t word = 0;          // its word characters
  uint64_t firsts = 0;        // its bytes with only blanks between them and a newline before
  bool first_carry = false;   // the byte after the block is such a byte
  bool line_carry = false;    // a word at the buffer's start would stand first on its line
  lex_lines lines;
};

// Starts a cursor at the source's next byte.
inline lex_cursor lex_open(scan_source *src, const lex_chars *chars) {
  return lex_cursor{.src = src,
                    .cls = chars->cls,
                    .pos = src->pos,
                    .lines = lex_lines{.src = src, .kernel = chars->fixed_kernel}};
}

// True when only blanks stand between the last newline and byte `p`: a word
// there is the first thing on its line. A file's first line has no newline
// before it.
inline bool lex_first_on_line(const lex_cursor *cur, size_t p) {
  const unsigned char *buf = cur->src->buf;
  for (size_t i = p; i > 0; --i) {
    unsigned char c = buf[i - 1];
    if (c == '\n') return true;
    if (!(cur->cls[c] & CH_BLANK)) return false;
  }
  return cur->line_carry;
}

// True when a word at byte `s` stands first on its line.
[[gnu::always_inline]] inline bool lex_first(const lex_cursor *cur, size_t s) {
  size_t off = s - cur->blk;
  if (off < 64) return (cur->firsts >> off) & 1;
  return lex_first_on_line(cur, s);
}

// Moves the bytes from `keep` on to the front of the buffer and reads more
// after them; false at the end of the file.
inline bool lex_refill(lex_cursor *cur, size_t keep) {
  lex_line(&cur->lines, keep);
  cur->line_carry = lex_first_on_line(cur, keep);
  size_t n = src_read_keeping(cur->src, keep);
  cur->pos = 0;
  cur->lines.at = 0;
  cur->blk = LEX_NO_BLOCK;
  return n != 0;
}

// Finds the first `a` or `b` at or after byte *i, reading on as needed (*i
// then counts in the new buffer); false at the end of the file.
inline bool lex_seek(lex_cursor *cur, size_t *i, unsigned char a, unsigned char b) {
  scan_source *src = cur->src;
  for (;;) {
    size_t n = src->len - *i;
    size_t hit = simd_find2(cur->lines.kernel, src->buf + *i, n, a, b);
    if (hit < n) {
      *i += hit;
      return true;
    }
    if (!lex_refill(cur, src->len)) return false;
    *i = 0;
  }
}

// Steps over the byte at *i, which a backslash escaped; false at the end of
// the file.
inline bool lex_step_escaped(lex_cursor *cur, size_t *i) {
  if (*i >= cur->src->len) {
    if (!lex_refill(cur, cur->src->len)) return false;
    *i = 0;
  }
  ++*i;
  return true;
}

// The end of the run of word characters that starts at byte `s`.
template <class K>
[[gnu::always_inline]] inline size_t lex_run_end(const lex_cursor *cur, size_t s) {
  const unsigned char *buf = cur->src->buf;
  size_t off = s - cur->blk;
  if (off < 64) {
    uint64_t rest = ~cur->word >> off;
    if (rest != 0) return s + static_cast<size_t>(__builtin_ctzll(rest));
    return static_cast<size_t>(K::run_end(buf + cur->blk + 64, cur->cls, CH_WORD) - buf);
  }
  return static_cast<size_t>(K::run_end(buf + s, cur->cls, CH_WORD) - buf);
}

// Holds the masks of the block that byte cur->pos lies in: `comment` is the
// dialect's comment character, and with `line_labels` the cursor also marks
// the bytes that stand first on their line.
template <class K, unsigned char comment, bool line_labels>
[[gnu::always_inline]] inline void lex_load(lex_cursor *cur) {
  size_t blk = cur->pos & ~size_t{63};
  simd_block m = K::masks(cur->src->buf + blk, cur->cls, comment);
  if (line_labels) {
    // A byte stands first on its line when it follows a newline, or ends a
    // run of blanks that follows one: adding a run's first bit to the run
    // carries into the byte after it. Whether the block's first byte is one
    // comes from the block before, or from the buffer when that was not
    // the last one held.
    bool carry = blk == cur->blk + 64 ? cur->first_carry : lex_first_on_line(cur, blk);
    uint64_t after_newline = m.newline << 1 | uint64_t{carry};
    uint64_t ends;
    bool out = __builtin_add_overflow(m.blank, after_newline & m.blank, &ends);
    cur->firsts = (after_newline | ends) & ~m.blank;
    cur->first_carry = (m.newline >> 63) != 0 || out;
  }
  cur->blk = blk;
  cur->word = m.word;
  cur->starts = (m.word & ~(m.word << 1)) | m.special;
}
