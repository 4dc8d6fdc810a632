// What a dialect of assembly source looks like, as data that the lexing layer
// and both readings read: how comments open, what a name is made of, and how
// the directives that matter are spelled. A new dialect is a new constant of
// this shape.
#pragma once

#include <cstring>

// The directives that the precise reading follows, by what they do
// (blank-separated; empty where a dialect has none of a kind).
struct syntax_directives {
  const char *data;        // data and constant pseudo-instructions
  const char *sections;    // section switches
  const char *strucs;      // open a structure or an absolute block
  const char *endstrucs;   // close one
  const char *others;      // other directives, which a statement may begin with
  const char *cglobal;     // the x86inc macro that begins a function
  const char *exec;        // section attributes: code
  const char *noexec;      // and not code
  const char *func_types;  // the type of a function in a type directive
  const char *macros;      // open a macro body
  const char *endmacros;   // close one
  const char *push;        // push a section
  const char *pop;         // pop one
  const char *previous;    // go back to the section before
  const char *announce;    // make a name global or weak
  const char *type;        // give a name a type
  const char *intel;       // Intel operand syntax from here
  const char *att;         // AT&T operand syntax from here
};

struct syntax_desc {
  const char *name;
  // The byte that opens a comment, or that the openers begin with ("//" and
  // "/*" for GNU as): the block masks mark it.
  unsigned char comment_char;
  // The comment character opens a comment only as "//" (to the end of the
  // line) or "/*" (to "*/"); otherwise it opens one to the end of the line.
  bool slash_comments;
  // A backslash in a line comment carries it over the byte after, a newline
  // too.
  bool comment_escapes;
  // A word first on its line is a label even without its colon.
  bool line_labels;
  // Directives and mnemonics match in any case.
  bool case_blind;
  // Name characters beyond ASCII letters and digits: those that may begin a
  // name, those that may only continue one, and whether every byte from 128
  // up is one.
  const char *name_start_extra;
  const char *name_extra;
  bool high_bytes_are_names;
  // Directive spellings, blank-separated: what announces a global name, what
  // declares an external one, what switches sections, and the section names
  // that hold data and code.
  const char *global_words;
  const char *extern_words;
  const char *section_words;
  const char *data_sections;
  const char *code_sections;
  syntax_directives precise;

  // True when `c` may begin a name.
  constexpr bool name_start(unsigned char c) const {
    if (c == 0) return false;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') return true;
    if (c >= 128) return high_bytes_are_names;
    return has(name_start_extra, c);
  }

  // True when `c` may stand in a name.
  constexpr bool name_char(unsigned char c) const {
    if (name_start(c) || (c >= '0' && c <= '9')) return true;
    return c != 0 && c < 128 && has(name_extra, c);
  }

  static constexpr bool has(const char *set, unsigned char c) {
    for (; *set != '\0'; ++set) {
      if (static_cast<unsigned char>(*set) == c) return true;
    }
    return false;
  }
};
