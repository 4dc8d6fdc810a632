// The plain kernel: a byte at a time from the class table, right on any
// processor and in any locale, and the reference the vector kernels match.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/simd/simd.h"

struct simd_plain {
  // The block of 64 bytes at `p`, classed by `cls`.
  static simd_block masks(const unsigned char *p, const unsigned char *cls, unsigned char comment) {
    simd_block m{0, 0, 0, 0};
    for (int i = 0; i < 64; ++i) {
      unsigned char c = p[i];
      m.word |= uint64_t{(cls[c] & CH_WORD) != 0} << i;
      m.blank |= uint64_t{(cls[c] & CH_BLANK) != 0} << i;
      m.newline |= uint64_t{c == '\n'} << i;
      bool special = c == '.' || c == '"' || c == '\'' || c == comment;
      m.special |= uint64_t{special} << i;
    }
    return m;
  }

  // The first byte that is `a` or `b` among the `n` bytes at `p`, or `n`.
  static size_t find2(const unsigned char *p, size_t n, unsigned char a, unsigned char b) {
    for (size_t i = 0; i < n; ++i) {
      if (p[i] == a || p[i] == b) return i;
    }
    return n;
  }

  // The number of newlines among the `n` bytes at `p`.
  static size_t count_lines(const unsigned char *p, size_t n) {
    size_t lines = 0;
    for (size_t i = 0; i < n; ++i)
      lines += p[i] == '\n';
    return lines;
  }

  // The end of the run of bytes of class `bit` that starts at `p`; the run
  // ends at a 0 byte at the latest.
  static const unsigned char *run_end(const unsigned char *p, const unsigned char *cls,
                                      unsigned char bit) {
    while (cls[*p] & bit)
      ++p;
    return p;
  }
};
