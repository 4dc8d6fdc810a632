// The SSE2 kernel, the x86-64 baseline: 16 bytes at a time. Loads may reach
// up to 63 bytes past the data, into the source buffer's padding.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "scan/simd/plain.h"

struct simd_sse2 {
  static __m128i load(const unsigned char *p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
  }

  static unsigned bits(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }

  // 0xFF in every byte of `v` from `lo` to `hi`; bytes from 128 up are
  // negative as signed bytes, so no ASCII range takes them.
  static __m128i in(__m128i v, char lo, char hi) {
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lo - 1))),
                         _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(hi + 1))));
  }

  static __m128i is(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }

  // ASCII letters, digits and underscores.
  static __m128i word_bytes(__m128i v) {
    __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
    return _mm_or_si128(_mm_or_si128(in(lower, 'a', 'z'), in(v, '0', '9')), is(v, '_'));
  }

  // ASCII blanks: a space, or tab to carriage return but the newline.
  static __m128i blank_bytes(__m128i v) {
    return _mm_or_si128(_mm_andnot_si128(is(v, '\n'), in(v, '\t', '\r')), is(v, ' '));
  }

  // The bytes of `v` of class `bit` where a vector knows it; plain otherwise.
  static __m128i class_bytes(__m128i v, unsigned char bit) {
    if (bit == CH_WORD) return word_bytes(v);
    if (bit == CH_ASM_BLANK) return blank_bytes(v);
    __m128i m = _mm_or_si128(word_bytes(v), _mm_or_si128(is(v, '.'), is(v, '$')));
    if (bit == CH_GNU_NAME) return _mm_or_si128(m, _mm_cmplt_epi8(v, _mm_setzero_si128()));
    return _mm_or_si128(_mm_or_si128(m, is(v, '#')), _mm_or_si128(in(v, '?', '@'), is(v, '~')));
  }

  static simd_block masks(const unsigned char *p, const unsigned char *, unsigned char comment) {
    __m128i cm = _mm_set1_epi8(static_cast<char>(comment));
    simd_block m{0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
      __m128i v = load(p + 16 * i);
      __m128i s = _mm_or_si128(_mm_or_si128(is(v, '.'), _mm_cmpeq_epi8(v, cm)),
                               _mm_or_si128(is(v, '"'), is(v, '\'')));
      m.word |= uint64_t{bits(word_bytes(v))} << (16 * i);
      m.special |= uint64_t{bits(s)} << (16 * i);
      m.newline |= uint64_t{bits(is(v, '\n'))} << (16 * i);
      m.blank |= uint64_t{bits(blank_bytes(v))} << (16 * i);
    }
    return m;
  }

  static size_t find2(const unsigned char *p, size_t n, unsigned char a, unsigned char b) {
    __m128i va = _mm_set1_epi8(static_cast<char>(a));
    __m128i vb = _mm_set1_epi8(static_cast<char>(b));
    for (size_t i = 0; i < n; i += 16) {
      __m128i v = load(p + i);
      unsigned hits = bits(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)));
      if (hits != 0) {
        size_t at = i + static_cast<size_t>(__builtin_ctz(hits));
        return at < n ? at : n;
      }
    }
    return n;
  }

  static size_t count_lines(const unsigned char *p, size_t n) {
    size_t lines = 0;
    size_t i = 0;
    // Each newline subtracts -1 from its byte of `counts`; a byte holds at
    // most 255 before the bytes are summed.
    const __m128i nl = _mm_set1_epi8('\n');
    while (n - i >= 16) {
      __m128i counts = _mm_setzero_si128();
      size_t stop = i + 16 * std::min<size_t>((n - i) / 16, 255);
      for (; i < stop; i += 16)
        counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(load(p + i), nl));
      __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
      lines += static_cast<size_t>(_mm_cvtsi128_si32(sums)) +
               static_cast<size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    return lines + simd_plain::count_lines(p + i, n - i);
  }

  // Words, assembler blanks and the assemblers' name characters go 16 bytes
  // at a time; a byte from 128 up ends a vector run of words, and the table
  // decides it.
  static const unsigned char *run_end(const unsigned char *p, const unsigned char *cls,
                                      unsigned char bit) {
    if (bit == CH_WORD || bit == CH_ASM_BLANK || bit == CH_GNU_NAME || bit == CH_NASM_NAME) {
      // Most runs of blanks are empty or a single blank.
      if (bit == CH_ASM_BLANK) {
        if (!(cls[*p] & bit)) return p;
        if (!(cls[*++p] & bit)) return p;
      }
      for (;;) {
        unsigned m = bits(class_bytes(load(p), bit));
        if (m != 0xFFFF) {
          p += __builtin_ctz(~m);
          break;
        }
        p += 16;
      }
    }
    return simd_plain::run_end(p, cls, bit);
  }
};
