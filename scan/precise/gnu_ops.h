// The rarer statements of the precise GNU reading (gnu_ops.cc), and what
// the reader (gnu.cc) lends them to cut characters.
#pragma once

#include "scan/precise/reader.h"

struct gnu_reader;

// The reader's own lexing, for the statements read elsewhere.
struct gnu_lex {
  precise_lexer *(*lexer)(gnu_reader *g);
  int (*next)(gnu_reader *g);          // the next character of the statement
  int (*read)(gnu_reader *g, int c);   // the name from `c` on; 0 when memory ran out
  void (*skip)(gnu_reader *g, int c);  // passes over the rest of the statement
};
extern const gnu_lex gnu_lexing;

inline bool gnu_name_start(int c) {
  return c != SRC_EOF && (syntax_classes.cls[c] & CH_GNU_START);
}

inline bool gnu_end(int c) {
  return c == '\n' || c == ';' || c == SRC_EOF;
}

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

// Reads a quoted name ("?t@@YAHH@Z") after its opening quote into the
// lexer's word: a backslash takes the next character as it is, and the name
// ends at its closing quote or at the end of the line. An empty one reads
// `""`. Returns 1, or 0 when memory ran out.
int gnu_quoted_name(gnu_reader *g);
