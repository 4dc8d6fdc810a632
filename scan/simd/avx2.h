// The AVX2 kernel: the masks of a block in two 32-byte halves; the rest as
// SSE2 does it, since runs and searches are mostly short. Chosen at run time.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "scan/simd/sse2.h"

struct simd_avx2 : simd_sse2 {
  // 0xFF in every byte of `v` equal to `c`.
  __attribute__((target("avx2"))) static __m256i is(__m256i v, char c) {
    return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
  }

  // 0xFF in every byte of `v` below `n` after subtracting `lo`, as unsigned
  // bytes: a signed compare after a shift by 0x80 keeps the bytes from 128
  // up out.
  __attribute__((target("avx2"))) static __m256i below(__m256i v, char lo, int n) {
    return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + n)),
                             _mm256_add_epi8(v, _mm256_set1_epi8(static_cast<char>(0x80 - lo))));
  }

  // The bits of the 32 bytes at `p`: word, special, newline and blank.
  __attribute__((target("avx2"))) static void masks32(const unsigned char *p, char comment,
                                                      uint32_t out[4]) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    __m256i lower = _mm256_or_si256(v, _mm256_set1_epi8(0x20));
    __m256i w =
        _mm256_or_si256(_mm256_or_si256(below(lower, 'a', 26), below(v, '0', 10)), is(v, '_'));
    __m256i s = _mm256_or_si256(_mm256_or_si256(is(v, '.'), is(v, comment)),
                                _mm256_or_si256(is(v, '"'), is(v, '\'')));
    __m256i nl = is(v, '\n');
    __m256i b = _mm256_or_si256(_mm256_andnot_si256(nl, below(v, '\t', 5)), is(v, ' '));
    out[0] = static_cast<uint32_t>(_mm256_movemask_epi8(w));
    out[1] = static_cast<uint32_t>(_mm256_movemask_epi8(s));
    out[2] = static_cast<uint32_t>(_mm256_movemask_epi8(nl));
    out[3] = static_cast<uint32_t>(_mm256_movemask_epi8(b));
  }

  __attribute__((target("avx2"))) static simd_block masks(const unsigned char *p,
                                                          const unsigned char *,
                                                          unsigned char comment) {
    uint32_t lo[4], hi[4];
    masks32(p, static_cast<char>(comment), lo);
    masks32(p + 32, static_cast<char>(comment), hi);
    return simd_block{uint64_t{hi[0]} << 32 | lo[0], uint64_t{hi[1]} << 32 | lo[1],
                      uint64_t{hi[2]} << 32 | lo[2], uint64_t{hi[3]} << 32 | lo[3]};
  }
};
