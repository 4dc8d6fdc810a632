// The vector kernels' public face: which kernels there are, the byte classes
// they tell apart, and what they say of a 64-byte block. No intrinsics here;
// a reader that wants a kernel's code includes scan/simd/dispatch.h.
#pragma once

#include <cstdint>

// The ways of looking at bytes many at a time. Plain works everywhere and in
// every locale; the vector kernels know the C locale's letters and digits, so
// they are chosen only where the locale agrees with it.
enum class simd_kind : uint8_t { plain, sse2, avx2, neon };

// Byte classes, one bit each in a table of 256 bytes; the byte 0 is in none.
// The first three are the user's locale's, the rest the assemblers' own,
// the same in every locale: GNU as takes letters, digits, "_", "." and "$"
// and every byte from 128 up, NASM letters, digits and "_$#@~.?"; neither
// begins a name with a digit. Assembler blanks are the ASCII ones.
constexpr unsigned char CH_BLANK = 1;       // white space but the newline
constexpr unsigned char CH_WORD_START = 2;  // letter or underscore
constexpr unsigned char CH_WORD = 4;        // letter, digit or underscore
constexpr unsigned char CH_GNU_START = 8;
constexpr unsigned char CH_GNU_NAME = 16;
constexpr unsigned char CH_NASM_START = 32;
constexpr unsigned char CH_NASM_NAME = 64;
constexpr unsigned char CH_ASM_BLANK = 128;

// The bits of one 64-byte block, bit i for byte i.
struct simd_block {
  uint64_t word;     // CH_WORD
  uint64_t special;  // '.', the quotes and the dialect's comment character
  uint64_t newline;
  uint64_t blank;  // CH_BLANK
};

// True when this processor can run `kind`.
bool simd_available(simd_kind kind);

// The fastest kernel this processor runs; never fails.
simd_kind simd_best();

// The kernel's name as tests print it.
const char *simd_name(simd_kind kind);
