#include "scan/simd/simd.h"

bool simd_available(simd_kind kind) {
  switch (kind) {
    case simd_kind::plain:
      return true;
    case simd_kind::sse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case simd_kind::avx2:
#if defined(__x86_64__)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
    case simd_kind::neon:
      return false;
  }
  return false;
}

simd_kind simd_best() {
  if (simd_available(simd_kind::avx2)) return simd_kind::avx2;
  if (simd_available(simd_kind::sse2)) return simd_kind::sse2;
  return simd_kind::plain;
}

const char *simd_name(simd_kind kind) {
  switch (kind) {
    case simd_kind::plain:
      return "plain";
    case simd_kind::sse2:
      return "sse2";
    case simd_kind::avx2:
      return "avx2";
    case simd_kind::neon:
      return "neon";
  }
  return "?";
}
