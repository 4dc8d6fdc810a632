// The rarer statements of the precise GNU reading: calls through a slot,
// aliases and quoted names.
#pragma once

#include "scan/precise/gnu_lex.h"

// A call or jump through memory from `c` on (`read`: its first name is in
// the lexer's word already): an event only when the memory is the slot that
// the linker or loader fills with one function's address, f@GOTPCREL or
// __imp_f. Returns 1, or 0 when memory ran out.
int gnu_slot(gnu_reader *g, precise_event_kind kind, int c, bool read);

// The directives read here, after the directive's word: .set, .equ and
// .equiv make a name another name of a function or data label, .func
// announces a function. Returns 1 when the statement was one and has been
// read, 0 when memory ran out, -1 when it is another directive.
int gnu_directive(gnu_reader *g);

// After a name that begins a statement: when an "=" follows, the statement
// `a = b` (as .set) is read. Returns as gnu_directive.
int gnu_equals(gnu_reader *g);
