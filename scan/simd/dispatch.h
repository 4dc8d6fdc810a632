// The one place a kernel's code is chosen. A reader written once over a
// kernel `K` (K::masks, K::find2, K::count_lines, K::run_end) runs with the
// kernel the configuration names: simd_dispatch instantiates it for each
// kernel this build has, the AVX2 one compiled for AVX2 so that the kernel
// inlines into the reader's loop. Readers that work a call at a time use the
// small helpers at the end, which choose between plain and SSE2.
#pragma once

#include <cstddef>
#include <utility>

#include "scan/simd/plain.h"
#include "scan/simd/simd.h"
#if defined(__SSE2__)
#include "scan/simd/sse2.h"
#endif
#if defined(__x86_64__)
#include "scan/simd/avx2.h"
#endif

#if defined(__x86_64__)
template <class Job, class... A>
__attribute__((target("avx2"))) auto simd_run_avx2(A... a) {
  return Job::template run<simd_avx2>(a...);
}
#endif

// Job::run<K>(a...) with the kernel `kind` names; the plain kernel when this
// build lacks it.
template <class Job, class... A>
auto simd_dispatch(simd_kind kind, A... a) {
  switch (kind) {
#if defined(__x86_64__)
    case simd_kind::avx2:
      return simd_run_avx2<Job>(a...);
#endif
#if defined(__SSE2__)
    case simd_kind::sse2:
      return Job::template run<simd_sse2>(a...);
#endif
    default:
      return Job::template run<simd_plain>(a...);
  }
}

#if defined(__SSE2__)
using simd_short = simd_sse2;
#else
using simd_short = simd_plain;
#endif

// K::run_end of the kernel `kind` names; AVX2 runs SSE2's.
inline const unsigned char *simd_run_end(simd_kind kind, const unsigned char *p,
                                         const unsigned char *cls, unsigned char bit) {
  if (kind == simd_kind::plain) return simd_plain::run_end(p, cls, bit);
  return simd_short::run_end(p, cls, bit);
}

// K::count_lines of the kernel `kind` names.
inline size_t simd_count_lines(simd_kind kind, const unsigned char *p, size_t n) {
  if (kind == simd_kind::plain) return simd_plain::count_lines(p, n);
  return simd_short::count_lines(p, n);
}

// K::find2 of the kernel `kind` names.
inline size_t simd_find2(simd_kind kind, const unsigned char *p, size_t n, unsigned char a,
                         unsigned char b) {
  if (kind == simd_kind::plain) return simd_plain::find2(p, n, a, b);
  return simd_short::find2(p, n, a, b);
}
