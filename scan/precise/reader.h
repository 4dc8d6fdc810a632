// What the two precise readers (-p) share to cut characters as their
// assemblers do: names, keywords, blanks, line ends, and the quick next
// character of a statement. Both feed the file's name table (names.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scan/lex/chars.h"
#include "scan/lex/word.h"
#include "scan/precise/names.h"
#include "scan/scanner.h"
#include "scan/simd/dispatch.h"
#include "scan/syntax/classes.h"

// What the two lexers share to cut characters.
struct precise_lexer {
  precise_file pf;
  const lex_chars *chars;
  scan_source *src;
  scan_word word;
  int64_t line;
  bool eof;  // the file ended: right after the last word, or at the last get
  scan_warnings warnings;
};

// precise_read_name for a name whose characters run on at least to `p`.
[[nodiscard]] int precise_read_name_rest(precise_lexer *lx, int first, unsigned chars,
                                         const unsigned char *p);

// Reads the name that begins with `first` (characters of class `chars`,
// CH_NASM_NAME or CH_GNU_NAME) into lx->word; a name cut off by the end of
// the file still counts, as it does for the assembler. Returns 1, or 0 when
// memory ran out.
[[nodiscard]] inline int precise_read_name(precise_lexer *lx, int first, unsigned chars) {
  scan_source *src = lx->src;
  const unsigned char *start = src->buf + src->pos;
  // Most names are short: the rest of one of at most 8 bytes is found a byte
  // at a time, and copied with a single load.
  for (const unsigned char *p = start; p < start + 7; ++p) {
    if (syntax_classes.cls[*p] & chars) continue;
    auto size = static_cast<size_t>(p - start);
    scan_word *word = &lx->word;
    // A run that ends before the end of the data has 8 bytes of the padded
    // buffer after its start; the word buffer is at least 32 bytes long.
    if (src->pos + size == src->len || word->w_cap <= 8) break;
    src->pos += size;
    word->w_text[0] = static_cast<char>(first);
    std::memcpy(word->w_text + 1, start, 8);
    word->w_text[size + 1] = '\0';
    word->w_len = size + 1;
    return 1;
  }
  return precise_read_name_rest(lx, first, chars, start);
}

// What a word can be to either lexer, ignoring ASCII case: a mask of
// precise_keyword_kind, 0 for a word that is no keyword.
enum precise_keyword_kind : uint32_t {
  KW_CALL = 1,
  KW_JUMP = 1 << 1,
  KW_PREFIX = 1 << 2,  // an instruction prefix of GNU syntax
  KW_DATA = 1 << 3,    // NASM's data and constant pseudo-instructions
  KW_SIZE = 1 << 4,    // NASM's size and distance words
  KW_REGISTER = 1 << 5,
  KW_SECTION = 1 << 6,  // NASM's section directives
  KW_STRUC = 1 << 7,
  KW_ENDSTRUC = 1 << 8,
  KW_DIRECTIVE = 1 << 9,  // NASM's other directives
  KW_CGLOBAL = 1 << 10,
  KW_EXEC = 1 << 11,
  KW_NOEXEC = 1 << 12,
  KW_FUNC_TYPE = 1 << 13,  // the type of a function in GNU's .type
  KW_MACRO = 1 << 14,
  KW_ENDMACRO = 1 << 15,
  // GNU directives.
  KW_TEXT = 1 << 16,
  KW_DATASEC = 1 << 17,
  KW_SECTION_DIR = 1 << 18,
  KW_PUSHSECTION = 1 << 19,
  KW_POPSECTION = 1 << 20,
  KW_PREVIOUS = 1 << 21,
  KW_ANNOUNCE = 1 << 22,
  KW_TYPE = 1 << 23,
  KW_INTEL = 1 << 24,  // .intel_syntax: registers and memory without marks
  KW_ATT = 1 << 25,
  KW_GLOBAL = 1 << 26,  // NASM's global, extern and common: names other files share
};

// Enters an instruction set's calls, jumps, prefixes and registers into a
// keyword table under their kinds.
template <class Table, class Isa>
constexpr void precise_add_isa_words(Table *t, const Isa &d) {
  t->add(d.calls, KW_CALL);
  t->add(d.jumps, KW_JUMP);
  t->add(d.cond_jumps, KW_JUMP);
  t->add(d.prefixes, KW_PREFIX);
  t->add(d.registers, KW_REGISTER);
}
// Only the kinds in `kinds` are looked for.
uint32_t precise_keyword(const scan_word &word, uint32_t kinds = UINT32_MAX);
// The same for a word of `len` bytes in the source buffer, before the end
// of the data read (its padding holds what the probe reads past the word).
uint32_t precise_keyword_at(const unsigned char *text, size_t len, uint32_t kinds);

// Passes over the characters `c` that have `table[c] & mask` (never 0).
inline void precise_pass(precise_lexer *lx, const unsigned char *table, unsigned mask) {
  auto run_end = [table, mask](const unsigned char *p) {
    while (table[*p] & mask)  // stops at the 0 after the data
      ++p;
    return p;
  };
  do {
    src_take_run(lx->src, run_end);
  } while (src_drained(lx->src) && src_fill(lx->src));
}

// The end of the run of blanks at `p` (the assemblers' own: space, tab,
// carriage return, form feed, vertical tab); it ends at the 0 after the
// data at the latest.
inline const unsigned char *precise_blanks_end(const precise_lexer *lx, const unsigned char *p) {
  return simd_run_end(lx->chars->fixed_kernel, p, syntax_classes.cls, CH_ASM_BLANK);
}

// Passes over blanks (not line ends); returns the next character, consumed.
inline int precise_skip_blanks(precise_lexer *lx) {
  return src_get_after(lx->src, [lx](const unsigned char *p) { return precise_blanks_end(lx, p); });
}

// Passes over blanks and whole blank lines, counting them; returns the next
// character, consumed.
inline int precise_skip_space(precise_lexer *lx) {
  int64_t lines = 0;
  int c = src_get_after(lx->src, [lx, &lines](const unsigned char *p) {
    for (;; ++p, ++lines) {
      p = precise_blanks_end(lx, p);
      if (*p != '\n') return p;
    }
  });
  lx->line += lines;
  return c;
}

// Consumes the rest of the line and its newline, counting it; returns '\n',
// or SRC_EOF at the end of the file.
int precise_skip_line(precise_lexer *lx);

// The result of a reading that has ended, before precise_lexer_end.
scan_result precise_result(const precise_lexer *lx, bool ok);

// Starts and ends the lexer of one file; precise_lexer_begin returns 0 when
// memory ran out.
[[nodiscard]] int precise_lexer_begin(precise_lexer *lx, const lex_chars *chars, scan_run *run,
                                      scan_source *src, const char *file);
void precise_lexer_end(precise_lexer *lx);

// The next character of a statement when that is quick: the next byte, or
// the one after a single blank (`tab_blank`: a space or a tab; otherwise a
// space only), when `plain` says it is handed back as it is, or a newline,
// counted. Anything else is for `slow()`.
template <class Slow>
inline int precise_next(precise_lexer *lx, const bool (&plain)[256], bool tab_blank, Slow slow) {
  scan_source *src = lx->src;
  size_t pos = src->pos;
  unsigned char c = src->buf[pos];
  if (!plain[c]) {
    if (c == '\n') {
      lx->line++;
      src->pos = pos + 1;
      return c;
    }
    // Before the end of the data a blank has a byte after it, the 0 at worst.
    bool blank = c == ' ' || (tab_blank && c == '\t');
    if (!blank || !plain[src->buf[pos + 1]]) return slow();
    c = src->buf[++pos];
  }
  src->pos = pos + 1;
  return c;
}

// precise_next at the start of a line, or where a statement ended: blanks
// and blank lines are passed over in bulk first; `next()` is the reader's
// precise_next.
template <class Next>
inline int precise_next_line(precise_lexer *lx, const bool (&plain)[256], Next next) {
  int c = precise_skip_space(lx);
  if (c == SRC_EOF || plain[c]) return c;
  src_unget(lx->src);
  return next();
}
