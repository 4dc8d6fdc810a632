// What the object formats other than ELF add to GNU syntax under the
// precise reading: Mach-O's "segment,section" names, and PE/COFF's symbol
// blocks (.def NAME; .scl 3; .type 32; .endef), whose type 32 makes NAME a
// function, static or not.
#pragma once

#include <string_view>

#include "scan/precise/gnu_lex.h"

// The rest of a Mach-O section directive from `c`, the first character of
// the section's name after the segment `*id` and its comma: *id becomes
// the section "SEGMENT,name", *kind code when it is __text or holds pure
// instructions, else data. Returns the character after the directive, or
// -2 when memory ran out.
int gp_macho_section(gnu_reader *g, int c, uint32_t *id, precise_section_kind *kind);

// A directive of PE/COFF's symbol blocks: 1 when it was one and is read, 0
// when memory ran out, -1 when it is none of them.
int gp_coff_directive(gnu_reader *g, std::string_view word);

// The rest of a .type directive whose operand begins with the digit `c`.
void gp_coff_type(gnu_reader *g, int c);
