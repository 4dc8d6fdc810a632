// What the precise NASM reader (-p) passes over straight in the buffer,
// without taking a character at a time.
#pragma once

#include <string_view>

#include "graph/records.h"
#include "scan/lex/source.h"

struct precise_lexer;
struct scan_word;

// Passes over the plain part of operands: blanks, punctuation, numbers, and
// names, each a reference of `owner` (SYM_NONE: nobody's) unless it is known
// to name no data. Stops before anything else, and before a name or number
// that runs to the end of the data read so far. Returns 1, or 0 after a
// failure (noted).
[[nodiscard]] int nasm_plain_operands(precise_lexer *lx, sym_id owner);

// Passes over the bytes of a skipped line that mean nothing: all but
// strings, comments, backslashes, line ends and 0.
void nasm_pass_skipped(scan_source *src);

// True for the name of an x86 register as NASM knows it, in any case: the
// general registers and their parts, segment, control, debug and test
// registers, x87, MMX, SSE, AVX and AVX-512 registers, mask, bound and tile
// registers.
bool nasm_register(std::string_view word);

// True for a GNU assembler directive, which at the start of a line shows
// that the file is GNU syntax.
bool nasm_gnu_directive(const scan_word &word);
