// The byte classes of a run and the kernel that reads with them: built once
// by the driver from the locale, and passed to every reading.
#pragma once

#include "scan/simd/simd.h"

struct lex_chars {
  unsigned char cls[256];  // CH_* flags of every byte; the byte 0 has none
  simd_kind kernel;        // the kernel for the locale's classes: words and blanks
  // The kernel for what needs no locale: newlines, searches for a byte, and
  // the assemblers' own classes.
  simd_kind fixed_kernel;
};

// Fills `chars` from the current locale, with the fastest kernels that this
// processor runs and, for the locale's classes, that agree with it; never
// fails.
void lex_chars_from_locale(lex_chars *chars);
