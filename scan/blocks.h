// The engine of the default lexers. It looks at a buffer 64 bytes at a time:
// one pass of character masks says where a word, a dot word, a string or a
// comment may begin, and a bit scan jumps there, over white space, digits
// and punctuation without a test per byte. Lines are counted only when a
// line number is needed, by counting newlines up to that point. A dialect
// says what its comment character begins, which words are keywords, and
// whether a word first on its line is a label.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "scan/lexer.h"
#include "scan/masks.h"

// No block held: far enough from any byte that pos - blk is never below 64.
constexpr size_t LEX_NO_BLOCK = SIZE_MAX / 2;

// Where a lexer stands in its source.
struct lex_cursor {
  scan_source *src;
  size_t pos = 0;             // the next byte to look at
  size_t blk = LEX_NO_BLOCK;  // start of the block whose masks are held
  uint64_t starts = 0;        // bytes of that block where a token may begin
  uint64_t word = 0;          // its word characters
  uint64_t firsts = 0;        // its bytes with only blanks between them and a newline before
  bool first_carry = false;   // the byte after the block is such a byte
  int64_t line = 1;           // the line of byte line_pos
  size_t line_pos = 0;
  bool line_carry = false;  // a word at the buffer's start would stand first on its line
};

// The line of byte `p` of the buffer; `p` is never before the last one asked for.
inline int64_t lex_line(lex_cursor *cur, size_t p) {
  cur->line +=
      static_cast<int64_t>(scan_count_lines(cur->src->buf + cur->line_pos, p - cur->line_pos));
  cur->line_pos = p;
  return cur->line;
}

// True when only blanks stand between the last newline and byte `p`: a word
// there is the first thing on its line. A file's first line has no newline
// before it.
inline bool lex_first_on_line(const lex_cursor *cur, size_t p) {
  const unsigned char *buf = cur->src->buf;
  for (size_t i = p; i > 0; --i) {
    unsigned char c = buf[i - 1];
    if (c == '\n') return true;
    if (!(scan_char_class[c] & CH_BLANK)) return false;
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
  lex_line(cur, keep);
  cur->line_carry = lex_first_on_line(cur, keep);
  size_t n = src_read_keeping(cur->src, keep);
  cur->pos = 0;
  cur->line_pos = 0;
  cur->blk = LEX_NO_BLOCK;
  return n != 0;
}

// The first byte that is `a` or `b` among the `n` bytes at `p`, or `n`.
inline size_t lex_find2(const unsigned char *p, size_t n, unsigned char a, unsigned char b) {
#if defined(__SSE2__)
  // Reads up to 15 bytes past the data, inside the buffer's padding.
  __m128i va = _mm_set1_epi8(static_cast<char>(a));
  __m128i vb = _mm_set1_epi8(static_cast<char>(b));
  for (size_t i = 0; i < n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
    unsigned hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
    if (hits != 0) {
      size_t at = i + static_cast<size_t>(__builtin_ctz(hits));
      return at < n ? at : n;
    }
  }
  return n;
#else
  for (size_t i = 0; i < n; ++i) {
    if (p[i] == a || p[i] == b) return i;
  }
  return n;
#endif
}

// Finds the first `a` or `b` at or after byte *i, reading on as needed (*i
// then counts in the new buffer); false at the end of the file.
inline bool lex_seek(lex_cursor *cur, size_t *i, unsigned char a, unsigned char b) {
  scan_source *src = cur->src;
  for (;;) {
    size_t n = src->len - *i;
    size_t hit = lex_find2(src->buf + *i, n, a, b);
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

// Passes over a quoted string whose opening quote is at `p`. A backslash
// keeps the byte after it from ending the string. False when the file ends
// inside it.
[[gnu::noinline]] inline bool lex_string(lex_cursor *cur, size_t p) {
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

// The end of the run of word characters that starts at byte `s`.
[[gnu::always_inline]] inline size_t lex_run_end(const lex_cursor *cur, size_t s) {
  const unsigned char *buf = cur->src->buf;
  size_t off = s - cur->blk;
  if (off < 64) {
    uint64_t rest = ~cur->word >> off;
    if (rest != 0) return s + static_cast<size_t>(__builtin_ctzll(rest));
    return static_cast<size_t>(scan_word_end(buf + cur->blk + 64) - buf);
  }
  return static_cast<size_t>(scan_word_end(buf + s) - buf);
}

// Eight bytes from `p`, which has room for them.
inline uint64_t lex_load8(const char *p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The first `len` bytes of `v`.
inline uint64_t lex_prefix(uint64_t v, size_t len) {
  return len >= 8 ? v : v & ((uint64_t{1} << (8 * len)) - 1);
}

// A keyword of up to eight bytes as lex_load8 reads it.
constexpr uint64_t lex_key(std::string_view text) {
  uint64_t v = 0;
  for (size_t i = 0; i < text.size(); ++i)
    v |= uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  return v;
}

// The first `len` bytes at `p` with ASCII capitals folded to lower case, as
// lex_load8 reads them. Only letters have 0x20 clear and turn into letters
// when it is set, so the result equals a lower-case keyword exactly when the
// word is that keyword in any case.
inline uint64_t lex_folded(const char *p, size_t len) {
  return lex_prefix(lex_load8(p) | 0x2020202020202020ull, len);
}

// Hands a token to the rules; `at` is a byte of the buffer on the token's
// line, not before the last line asked for. False after a memory failure.
[[gnu::always_inline]] inline bool lex_apply(scan_state *st, lex_cursor *cur, token_class tk,
                                             std::string_view text, size_t at) {
  st->word = text;
  st->token_at = at;
  if (scan_apply(st, tk)) return true;
  st->lineno = lex_line(cur, at);
  return false;
}

// Classifies the word `text` whose bytes end before byte `e` of the buffer
// and hands it on; `first` says whether it stands first on its line (-1:
// not known yet, ask the buffer at `at`).
template <class Dialect>
[[gnu::always_inline]] inline bool lex_classify(scan_state *st, lex_cursor *cur,
                                                std::string_view text, size_t at, size_t e,
                                                int first) {
  token_class tk = Dialect::keyword(text);
  // A keyword never looks at what follows it, so `call:` is no label.
  if (tk == TK_START) {
    if (cur->src->buf[e] == ':') {
      tk = TK_LABEL;
      ++e;
    } else if (Dialect::line_labels &&
               (first < 0 ? lex_first(cur, at) : static_cast<bool>(first))) {
      tk = TK_LABEL;
    } else {
      tk = TK_IDENT;
    }
  }
  cur->pos = e;
  return lex_apply(st, cur, tk, text, at);
}

// A word or dot word starting at byte `s` that fills the whole buffer: it is
// gathered in st->scratch over as many reads as it takes. False when the
// file ends inside it (the word is dropped) or memory runs out.
template <class Dialect>
[[gnu::noinline]] bool lex_long_word(scan_state *st, lex_cursor *cur, size_t s) {
  scan_source *src = cur->src;
  scan_word *w = &st->scratch;
  int64_t line = lex_line(cur, s);
  int first = lex_first_on_line(cur, s);
  size_t n = 0;
  size_t from = s;
  size_t to = src->len;
  for (;;) {
    // Eight bytes more, so that a keyword test may read a whole word.
    if (!word_reserve(w, n + (to - from) + 8)) {
      st->lineno = line;
      return scan_nomem(st);
    }
    std::memcpy(w->w_text + n, src->buf + from, to - from);
    n += to - from;
    if (to < src->len) break;
    if (!lex_refill(cur, src->len)) return false;
    from = 0;
    to = static_cast<size_t>(scan_word_end(src->buf) - src->buf);
  }
  std::memset(w->w_text + n, 0, 8);
  w->w_len = n;
  std::string_view text(w->w_text, n);
  if (text[0] == '.') {
    cur->pos = to;
    return lex_apply(st, cur, Dialect::dot_word(text), text, 0);
  }
  return lex_classify<Dialect>(st, cur, text, 0, to, first);
}

// A word or dot word starting at byte `s` runs into the end of the buffer:
// keep it, read on, and let the scan find it again at the front. False when
// the file ends right after it (it is dropped then, as a word cut short).
template <class Dialect>
[[gnu::noinline]] bool lex_keep(scan_state *st, lex_cursor *cur, size_t s) {
  scan_source *src = cur->src;
  if (src->len - s >= src->cap) return lex_long_word<Dialect>(st, cur, s);
  return lex_refill(cur, s);
}

// A word character at byte `p` begins a run of them.
template <class Dialect>
[[gnu::always_inline]] inline bool lex_word(scan_state *st, lex_cursor *cur, size_t p) {
  const unsigned char *buf = cur->src->buf;
  size_t e = lex_run_end(cur, p);
  size_t s = p;
  if (!(scan_char_class[buf[p]] & CH_WORD_START)) {
    // Digits before the first letter are no part of a word: `0x10` holds
    // the word `x10`.
    do {
      ++s;
    } while (s < e && !(scan_char_class[buf[s]] & CH_WORD_START));
    if (s == e) {
      cur->pos = e;
      return true;
    }
  }
  if (e == cur->src->len) return lex_keep<Dialect>(st, cur, s);
  std::string_view text(reinterpret_cast<const char *>(buf + s), e - s);
  return lex_classify<Dialect>(st, cur, text, s, e, -1);
}

// A dot at byte `p` begins a dot word: the dot and the word characters after it.
template <class Dialect>
[[gnu::always_inline]] inline bool lex_dot_word(scan_state *st, lex_cursor *cur, size_t p) {
  const unsigned char *buf = cur->src->buf;
  size_t e = p + 1;
  if (scan_char_class[buf[e]] & CH_WORD) e = lex_run_end(cur, e);
  if (e == cur->src->len) return lex_keep<Dialect>(st, cur, p);
  std::string_view text(reinterpret_cast<const char *>(buf + p), e - p);
  cur->pos = e;
  return lex_apply(st, cur, Dialect::dot_word(text), text, p);
}

// Holds the masks of the block that byte cur->pos lies in.
template <class Dialect, lex_masks (*Masks)(const unsigned char *, unsigned char)>
[[gnu::always_inline]] inline void lex_load(lex_cursor *cur) {
  size_t blk = cur->pos & ~size_t{63};
  lex_masks m = Masks(cur->src->buf + blk, Dialect::comment_char);
  if (Dialect::line_labels) {
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

// Scans one file with the dialect's rules and the masks that `Masks` makes.
template <class Dialect, lex_masks (*Masks)(const unsigned char *, unsigned char)>
[[gnu::always_inline]] inline scan_result lex_file(call_graph *graph, scan_source *src,
                                                   const char *file) {
  scan_state st{.graph = graph, .file = file};
  lex_cursor cur{.src = src, .pos = src->pos};
  st.cursor = &cur;
  for (;;) {
    size_t off = cur.pos - cur.blk;
    if (off >= 64) {
      if (cur.pos >= src->len) {
        if (!lex_refill(&cur, src->len)) break;
        continue;
      }
      lex_load<Dialect, Masks>(&cur);
      off = cur.pos - cur.blk;
    }
    uint64_t m = cur.starts >> off;
    if (m == 0) {
      cur.pos = cur.blk + 64;
      continue;
    }
    size_t p = cur.pos + static_cast<size_t>(__builtin_ctzll(m));
    unsigned char c = src->buf[p];
    bool more;
    if (scan_char_class[c] & CH_WORD) {
      more = lex_word<Dialect>(&st, &cur, p);
    } else if (c == '.') {
      more = lex_dot_word<Dialect>(&st, &cur, p);
    } else if (c == '"' || c == '\'') {
      more = lex_string(&cur, p);
    } else {
      more = Dialect::comment(&cur, p);
    }
    if (!more) break;
  }
  if (st.status == scan_status::done) st.lineno = cur.line;
  return scan_end(&st);
}

#if defined(__x86_64__)
template <class Dialect>
__attribute__((target("avx2"))) scan_result lex_file_avx2(call_graph *graph, scan_source *src,
                                                          const char *file) {
  return lex_file<Dialect, masks_avx2>(graph, src, file);
}
#endif

// Scans one file with the dialect's rules and the best masks at hand.
template <class Dialect>
scan_result lex_scan(call_graph *graph, scan_source *src, const char *file) {
  switch (scan_mask_kind) {
#if defined(__x86_64__)
    case mask_kind::avx2:
      return lex_file_avx2<Dialect>(graph, src, file);
#endif
#if defined(__SSE2__)
    case mask_kind::sse2:
      return lex_file<Dialect, masks_sse2>(graph, src, file);
#endif
    default:
      return lex_file<Dialect, masks_plain>(graph, src, file);
  }
}
