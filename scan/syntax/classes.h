// The assemblers' own byte classes, the same in every locale: the name
// characters of each dialect and the blanks both take (CH_GNU_*, CH_NASM_*,
// CH_ASM_BLANK), as one table built at compile time from the syntaxes.
#pragma once

#include "scan/simd/simd.h"
#include "scan/syntax/gnu.h"
#include "scan/syntax/nasm.h"

struct syntax_class_table {
  unsigned char cls[256] = {};
  constexpr syntax_class_table() {
    for (int i = 1; i < 256; ++i) {
      auto c = static_cast<unsigned char>(i);
      unsigned char f = 0;
      if (gnu_syntax.name_start(c)) f |= CH_GNU_START;
      if (gnu_syntax.name_char(c)) f |= CH_GNU_NAME;
      if (nasm_syntax.name_start(c)) f |= CH_NASM_START;
      if (nasm_syntax.name_char(c)) f |= CH_NASM_NAME;
      if (syntax_desc::has(" \t\r\f\v", c)) f |= CH_ASM_BLANK;
      cls[i] = f;
    }
  }
};

constexpr syntax_class_table syntax_classes;
