// The characters of GNU assembler syntax as the precise reading (-a -p)
// cuts them: statements end at a newline or ";", comments run from "#" (and
// "//") to the end of the line or between "/*" and "*/", and a file's set
// and object format may add a comment character of their own. The state of
// a reading of one file lives here too, for every part of the reader.
#pragma once

#include <cstdint>

#include "scan/precise/isa_pick.h"
#include "scan/precise/reader.h"

struct gnu_reader {
  precise_lexer lx;
  uint32_t previous;   // the section before the current one, for .previous
  uint32_t stack[16];  // .pushsection
  int depth;
  int64_t macro_depth;  // inside .macro ... .endm: templates, not code
  bool intel;           // .intel_syntax: `call rax`, `call QWORD PTR [rax]`
  isa_pick set;         // the file's instruction set and object format
  // The bytes gp_next hands back as they are, and the class of those that
  // gp_skip passes over: both lose the file's own comment character.
  int comment;  // that character, or 0
  const bool (*plain)[256];
  unsigned dull;
  uint32_t def;  // the name of a COFF .def block, or PRECISE_NONE
};

// Starts a reading; 0 when memory ran out.
[[nodiscard]] int gp_begin(gnu_reader *g, const lex_chars *chars, scan_run *run, scan_source *src,
                           const char *file);

// Makes `c` (0: none) a character that comments out the rest of its line.
void gp_comment_char(gnu_reader *g, int c);

// Gives the file the comment character of its set and format as they are
// known now: "@" in ARM, ";" in Mach-O but for x86.
void gp_settle(gnu_reader *g);

inline const isa_desc &gp_isa(const gnu_reader *g) {
  return isa_of(&g->set);
}

inline bool gp_end(int c) {
  return c == '\n' || c == ';' || c == SRC_EOF;
}

// True for an assembler-local label: ".L1", and in Mach-O "L1" and "l1".
inline bool gp_local(const gnu_reader *g, const scan_word &word) {
  if (word.w_len >= 2 && word.w_text[0] == '.' && word.w_text[1] == 'L') return true;
  return g->set.macho && (word.w_text[0] == 'L' || word.w_text[0] == 'l');
}

inline bool gp_name_start(int c) {
  return c != SRC_EOF && (syntax_classes.cls[c] & CH_GNU_START);
}

// The same, or the quote that opens a quoted name ("?t@@YAHH@Z").
inline bool gp_symbol_start(int c) {
  return c == '"' || gp_name_start(c);
}

// The next character that means something in a statement when it is not
// quick: comments and blanks are passed over, a line end (counted) comes
// back as '\n'.
[[gnu::noinline]] int gp_next_slow(gnu_reader *g);

// The same, quick in the common cases.
inline int gp_next(gnu_reader *g) {
  return precise_next(&g->lx, *g->plain, true, [g] { return gp_next_slow(g); });
}

// gp_next at the start of a line, or where a statement ended.
inline int gp_next_line(gnu_reader *g) {
  return precise_next_line(&g->lx, *g->plain, [g] { return gp_next(g); });
}

// Consumes a string or character constant after its opening quote.
void gp_quoted(gnu_reader *g, int quote);

// Consumes the rest of a statement from `c` on.
void gp_skip(gnu_reader *g, int c);

// Passes over the characters of class `chars` that come next.
void gp_pass(gnu_reader *g, unsigned chars);

// Consumes a ":" if one follows; true when it did.
bool gp_colon(gnu_reader *g);

// Passes over a relocation suffix ("@PLT", "(PLT)") if one follows.
void gp_suffix(gnu_reader *g);

// Reads a quoted name ("?t@@YAHH@Z") after its opening quote into the
// lexer's word: a backslash takes the next character as it is, and the name
// ends at its closing quote or at the end of the line. An empty one reads
// `""`. Returns 1, or 0 when memory ran out.
int gp_quoted_name(gnu_reader *g);

// Reads the name that begins with `c` into g->lx.word. Returns 1, or 0 when
// memory ran out.
[[nodiscard]] int gp_read(gnu_reader *g, int c);

// Characters that a statement can pass over without a look: GP_DULL where
// it is skipped to its end (GP_DULL_AT: the same where "@" opens a
// comment), GP_PUNCT among the operands of an instruction.
enum { GP_DULL = 1, GP_PUNCT = 2, GP_DULL_AT = 4 };
struct gp_classes {
  unsigned char is[256] = {};
  gp_classes();
};
extern const gp_classes gp_chars;
