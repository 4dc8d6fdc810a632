// What the parts of the precise NASM reader (-p) share: the reader's state
// and the character-level steps that statements and directives are read with.
#pragma once

#include <cstdint>
#include <cstring>

#include "scan/precise/reader.h"

// A call or jump that waits for the end of the file.
struct np_pending {
  sym_id owner;
  uint32_t target : 31;  // the name as users know it, as the table holds it
  uint32_t call : 1;     // a call, else a jump
  int64_t line;
};

struct nasm_reader {
  precise_lexer lx;
  scan_word spare;              // the first word of a line while the second is read
  uint32_t outside;             // the section that a struc interrupts
  int64_t macro_depth;          // inside %macro ... %endmacro: templates, not code
  sym_id owner = SYM_NONE;      // the function whose code is being read, if any
  sym_id deferring = SYM_NONE;  // the routine whose calls wait, to keep their order
  np_pending *pending;
  size_t npending;
  uint64_t pending_cap;
};

// Notes that memory ran out on the current line; returns 0.
inline int np_fail(nasm_reader *r) {
  return precise_nomem(&r->lx.pf, r->lx.line);
}

// What the first word of a statement can be.
inline constexpr uint32_t NP_STATEMENT_KINDS = KW_DATA | KW_SECTION | KW_STRUC | KW_ENDSTRUC |
                                               KW_DIRECTIVE | KW_GLOBAL | KW_CGLOBAL | KW_CALL |
                                               KW_JUMP;

inline bool np_name_start(int c) {
  return c != SRC_EOF && (syntax_classes.cls[c] & CH_NASM_START);
}

// Local labels begin with one full stop; "..@x" and "..start" are not.
inline bool np_local(const scan_word &word) {
  return word.w_text[0] == '.' && word.w_text[1] != '.';
}

inline bool np_end(int c) {
  return c == '\n' || c == SRC_EOF;
}

// The bytes that np_next hands back as they are: all but blanks, newlines,
// ";", the backslash and 0 (which may be the end of the data).
inline constexpr struct np_plain_bytes {
  bool is[256] = {};
  constexpr np_plain_bytes() {
    for (int c = 1; c < 256; ++c)
      is[c] = c != ' ' && (c < '\t' || c > '\r') && c != ';' && c != '\\';
  }
} np_plain;

// The next character of the statement that means something: blanks,
// comments and continued lines are passed over; the end of the line (counted)
// comes back as '\n'.
int np_next_slow(nasm_reader *r);

// The same, quick in the common cases.
inline int np_next(nasm_reader *r) {
  return precise_next(&r->lx, np_plain.is, false, [r] { return np_next_slow(r); });
}

// np_next at the start of a line, or where a statement ended.
int np_next_line(nasm_reader *r);

// After a "%" in an operand: warns of a register written so ("%rax"), which
// is GNU syntax.
void np_gnu_register(nasm_reader *r);

// Consumes a string after its opening quote: backquoted ones know backslash
// escapes, none runs past the end of its line.
void np_quoted(nasm_reader *r, int quote);

// Passes over the rest of a name or number.
void np_pass(nasm_reader *r);

// Consumes the rest of the line from `c` on.
void np_skip(nasm_reader *r, int c);

// Reads a name that begins with `c`, or with the character after a "$" that
// marks a name which would otherwise be a keyword. Returns 1 with the name in
// lx->word, 0 when memory ran out, -1 when `c` begins no name (it is then
// the character in *c).
[[nodiscard]] int np_name(nasm_reader *r, int *c);

// Makes a section current (PRECISE_NONE: none), with its kind and with the
// function that owned its code when the file last left it.
void np_switch(nasm_reader *r, uint32_t id, precise_section_kind kind);

// Defines the routine `name` (as users know it, NUL-terminated) on `line`:
// the record of that name that all files share when the file says it is
// shared, else one of the file's own; once per file either way. Returns the
// record its calls are charged to, or SYM_NONE when memory ran out.
[[nodiscard]] sym_id np_define(nasm_reader *r, std::string_view name, int64_t line);

// A directive that begins a line (bare or in brackets), of the keyword kinds
// `kinds`. Returns 1 when the word was one and its line has been consumed, 0
// after a failure (noted), -1 when the word is no directive.
[[nodiscard]] int np_directive(nasm_reader *r, uint32_t kinds);

// A line that begins with "%", after it. Returns 1, or 0 after a failure
// (noted).
[[nodiscard]] int np_percent(nasm_reader *r);

// A statement from its first character `c`. Returns 1, or 0 after a failure
// (noted).
[[nodiscard]] int np_statement(nasm_reader *r, int c);
