// Line numbers counted only when asked for: a reader keeps where it counted
// to, and counts the newlines from there when a token's line is needed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/lex/source.h"
#include "scan/simd/dispatch.h"

struct lex_lines {
  const scan_source *src;
  simd_kind kernel;
  int64_t line = 1;  // the line of byte `at` of the buffer
  size_t at = 0;
};

// The line of byte `p` of the buffer; `p` is never before the last one asked
// for.
inline int64_t lex_line(lex_lines *lines, size_t p) {
  lines->line += static_cast<int64_t>(
      simd_count_lines(lines->kernel, lines->src->buf + lines->at, p - lines->at));
  lines->at = p;
  return lines->line;
}
