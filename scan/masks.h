// Character masks of 64-byte blocks: one bit per byte, so that a lexer can
// jump from one byte that matters to the next with a bit scan instead of
// testing every byte. Three ways to make them give the same bits: a plain
// loop over the locale's class table (any processor, any locale), SSE2 (the
// x86-64 baseline) and AVX2 (chosen at run time). The vector ways assume the
// C locale's letters and digits, so they are used only where the locale
// agrees with it: in its letters, digits and underscores, and in its blanks.
#pragma once

#include <cstdint>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "scan/lexer.h"

// The masks of one block.
struct lex_masks {
  uint64_t word;     // letters, digits and underscores (CH_WORD)
  uint64_t special;  // '.', the quotes and the dialect's comment character
  uint64_t newline;
  uint64_t blank;  // CH_BLANK
};

// Which way makes the masks. Tests set it to check that all give the same.
enum class mask_kind { plain, sse2, avx2 };

// The best way this processor and locale allow; set by scan_init_chars.
extern mask_kind scan_mask_kind;

// True when the processor can run `kind`.
bool mask_kind_available(mask_kind kind);

// The masks of the 64 bytes at `p`, from the class table.
inline lex_masks masks_plain(const unsigned char *p, unsigned char comment) {
  lex_masks m{0, 0, 0, 0};
  for (int i = 0; i < 64; ++i) {
    unsigned char c = p[i];
    m.word |= uint64_t{(scan_char_class[c] & CH_WORD) != 0} << i;
    m.blank |= uint64_t{(scan_char_class[c] & CH_BLANK) != 0} << i;
    m.newline |= uint64_t{c == '\n'} << i;
    bool special = c == '.' || c == '"' || c == '\'' || c == comment;
    m.special |= uint64_t{special} << i;
  }
  return m;
}

#if defined(__SSE2__)
// Bits of the 16 bytes at `p` that are ASCII letters, digits or underscores,
// and of those that are specials.
inline void masks_sse2_16(const unsigned char *p, __m128i comment, uint32_t *word,
                          uint32_t *special, uint32_t *newline, uint32_t *blank) {
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
  __m128i w = scan_ascii_word_bytes(v);
  __m128i s = _mm_or_si128(
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('.')), _mm_cmpeq_epi8(v, comment)),
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\''))));
  __m128i nl = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
  __m128i b = scan_ascii_blank_bytes(v);
  *word = static_cast<uint32_t>(_mm_movemask_epi8(w));
  *special = static_cast<uint32_t>(_mm_movemask_epi8(s));
  *newline = static_cast<uint32_t>(_mm_movemask_epi8(nl));
  *blank = static_cast<uint32_t>(_mm_movemask_epi8(b));
}

inline lex_masks masks_sse2(const unsigned char *p, unsigned char comment) {
  __m128i cm = _mm_set1_epi8(static_cast<char>(comment));
  lex_masks m{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    uint32_t w, s, nl, b;
    masks_sse2_16(p + 16 * i, cm, &w, &s, &nl, &b);
    m.word |= uint64_t{w} << (16 * i);
    m.special |= uint64_t{s} << (16 * i);
    m.newline |= uint64_t{nl} << (16 * i);
    m.blank |= uint64_t{b} << (16 * i);
  }
  return m;
}
#endif

#if defined(__x86_64__)
__attribute__((target("avx2"))) inline void masks_avx2_32(const unsigned char *p, __m256i comment,
                                                          uint32_t *word, uint32_t *special,
                                                          uint32_t *newline, uint32_t *blank) {
  __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
  __m256i lower = _mm256_or_si256(v, _mm256_set1_epi8(0x20));
  // Letters: lower - 'a' below 26 as an unsigned byte; a signed compare
  // after the shift keeps the bytes from 128 up out.
  __m256i alpha =
      _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + 26)),
                        _mm256_add_epi8(lower, _mm256_set1_epi8(static_cast<char>(0x80 - 'a'))));
  __m256i digit =
      _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + 10)),
                        _mm256_add_epi8(v, _mm256_set1_epi8(static_cast<char>(0x80 - '0'))));
  __m256i under = _mm256_cmpeq_epi8(v, _mm256_set1_epi8('_'));
  __m256i w = _mm256_or_si256(_mm256_or_si256(alpha, digit), under);
  __m256i s = _mm256_or_si256(
      _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('.')), _mm256_cmpeq_epi8(v, comment)),
      _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('"')),
                      _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\''))));
  __m256i nl = _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n'));
  __m256i ctl =
      _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + 5)),
                        _mm256_add_epi8(v, _mm256_set1_epi8(static_cast<char>(0x80 - '\t'))));
  __m256i b =
      _mm256_or_si256(_mm256_andnot_si256(nl, ctl), _mm256_cmpeq_epi8(v, _mm256_set1_epi8(' ')));
  *word = static_cast<uint32_t>(_mm256_movemask_epi8(w));
  *special = static_cast<uint32_t>(_mm256_movemask_epi8(s));
  *newline = static_cast<uint32_t>(_mm256_movemask_epi8(nl));
  *blank = static_cast<uint32_t>(_mm256_movemask_epi8(b));
}

__attribute__((target("avx2"))) inline lex_masks masks_avx2(const unsigned char *p,
                                                            unsigned char comment) {
  __m256i cm = _mm256_set1_epi8(static_cast<char>(comment));
  uint32_t w0, s0, n0, b0, w1, s1, n1, b1;
  masks_avx2_32(p, cm, &w0, &s0, &n0, &b0);
  masks_avx2_32(p + 32, cm, &w1, &s1, &n1, &b1);
  return lex_masks{uint64_t{w1} << 32 | w0, uint64_t{s1} << 32 | s0, uint64_t{n1} << 32 | n0,
                   uint64_t{b1} << 32 | b0};
}
#endif
