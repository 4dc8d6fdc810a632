// What the lexers share: token classes, character classes and their vector
// tests, the word reader, line counting, and the per-file state and the
// graph-building rules of the default reading. How the default lexers cut
// tokens is in scan/blocks.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graph/symbol_graph.h"
#include "scan/scanner.h"
#include "scan/source.h"

// Token classes. The values are fixed so that they read the same in a debugger
// whatever the dialect.
enum token_class {
  TK_OTHERDIR = 0,  // a dot word with no meaning of its own
  TK_EXTERN = 2,
  TK_GLOBAL = 3,  // the identifier after it may become the pending name
  TK_SECTION = 4,
  TK_DATASEC = 5,  // leaves code
  TK_TEXTSEC = 6,  // enters code
  TK_LABEL = 7,
  TK_CALL = 8,   // the identifier after it is a call target
  TK_START = 9,  // no token yet in this file
  TK_IDENT = 12,
};

// Character classes of the user's locale, one byte of flags per byte value;
// the byte 0 is in none of them.
constexpr unsigned char CH_BLANK = 1;       // white space but the newline
constexpr unsigned char CH_WORD_START = 2;  // letter or underscore
constexpr unsigned char CH_WORD = 4;        // letter, digit or underscore
// The names and blanks of the assemblers themselves, the same in every
// locale: GNU as takes letters, digits, "_", "." and "$" and every byte from
// 128 up, NASM letters, digits and "_$#@~.?"; neither begins a name with a
// digit. Blanks are the ASCII ones.
constexpr unsigned char CH_GNU_START = 8;
constexpr unsigned char CH_GNU_NAME = 16;
constexpr unsigned char CH_NASM_START = 32;
constexpr unsigned char CH_NASM_NAME = 64;
constexpr unsigned char CH_ASM_BLANK = 128;
extern unsigned char scan_char_class[256];

// True when the locale classes the bytes below 128 as word characters
// exactly as the C locale does, so that they can be tested 16 at a time.
extern bool scan_ascii_words;

// The byte with an ASCII capital folded to lower case. Keywords are plain
// ASCII and must read the same in every locale: a Turkish one would
// otherwise fold "I" to a dotless i and miss "GLOBAL".
constexpr unsigned char scan_fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

#if defined(__SSE2__)
// 0xFF in every byte of `v` that is an ASCII letter, digit or underscore.
// Bytes from 128 up are negative as signed bytes, so they fall in none of
// the ranges.
inline __m128i scan_ascii_word_bytes(__m128i v) {
  __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
  __m128i alpha = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
  __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
  return _mm_or_si128(_mm_or_si128(alpha, digit), _mm_cmpeq_epi8(v, _mm_set1_epi8('_')));
}

// 0xFF in every byte of `v` that is an ASCII blank: a space, or tab to
// carriage return but the newline.
inline __m128i scan_ascii_blank_bytes(__m128i v) {
  __m128i ctl = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('\t' - 1)),
                              _mm_cmplt_epi8(v, _mm_set1_epi8('\r' + 1)));
  return _mm_or_si128(_mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), ctl),
                      _mm_cmpeq_epi8(v, _mm_set1_epi8(' ')));
}
#endif

// The end of the run of word characters (of class `chars`) that starts at
// `p`; the run ends inside the buffer at the latest, at the 0 after the data.
inline const unsigned char *scan_word_end(const unsigned char *p, unsigned char chars = CH_WORD) {
#if defined(__SSE2__)
  if (scan_ascii_words && chars == CH_WORD) {
    for (;;) {
      // A byte from 128 up ends the vector run; the table decides it.
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
      unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(scan_ascii_word_bytes(v)));
      if (mask != 0xFFFF) {
        p += __builtin_ctz(~mask);
        break;
      }
      p += 16;
    }
  }
#endif
  while (scan_char_class[*p] & chars)
    ++p;
  return p;
}

// The run of word characters (of class `chars`) at the front of the source's
// buffer.
inline std::string_view scan_take_word_run(scan_source *src, unsigned char chars = CH_WORD) {
  return src_take_run(src, [chars](const unsigned char *p) { return scan_word_end(p, chars); });
}

// A word buffer that the scanner reuses from word to word.
struct scan_word {
  char *w_text;  // NUL-terminated
  size_t w_len;
  size_t w_cap;
};

inline std::string_view scan_word_text(const scan_word &word) {
  return {word.w_text, word.w_len};
}

// What read_word_rest met.
enum word_result { WORD_OK, WORD_EOF, WORD_NOMEM };

// Makes room in `word` for at least `need` bytes plus the NUL; false when
// memory ran out.
bool word_reserve(scan_word *word, size_t need);

// The number of newlines among the `n` bytes at `p`.
size_t scan_count_lines(const unsigned char *p, size_t n);

// Gathers into `word` a word that begins with `first` and goes on with the
// characters of class `chars`: `run` is the part after `first` already
// consumed, and the word may go on past refills. Returns WORD_OK with the
// character after the word still unread, WORD_EOF when the file ends right
// after the word, WORD_NOMEM when the word buffer cannot grow.
word_result read_word_rest(scan_source *src, int first, std::string_view run, scan_word *word,
                           unsigned char chars);

struct lex_cursor;

// The state of one file's scan that the rules read; a scan starts it with its
// graph and file name, and every other field takes its start value from here.
struct scan_state {
  call_graph *graph;
  const char *file;
  token_class prev = TK_START;
  bool in_text = true;      // in a code section
  char *pending = nullptr;  // owned: the name a global directive announced
  size_t pending_len = 0;
  char *current = nullptr;   // owned: the function whose body is being read
  sym_id caller = SYM_NONE;  // the record calls from `current` go to, once looked up
  // The text of the token the rules are given: in the source's buffer, or in
  // `scratch` when it was longer than the buffer.
  std::string_view word = {};
  scan_word scratch = {nullptr, 0, 0};
  // Where the token is, so that its line is counted only when a rule needs it.
  lex_cursor *cursor = nullptr;
  size_t token_at = 0;
  int64_t lineno = 1;                      // the line the scan ended on
  scan_status status = scan_status::done;  // what ended the scan early, if anything
};

// Releases what the state owns at the end of a file, however the scan ended;
// returns the scan's result.
scan_result scan_end(scan_state *st);

// Notes that memory ran out on the current line; returns false.
bool scan_nomem(scan_state *st);

// Records that `caller` (SYM_NONE: nobody, and nothing is recorded) calls or
// references `target`; says how that went.
scan_status scan_charge(call_graph *graph, sym_id caller, sym_id target);

// The rules for an identifier and for a label whose text is st->word. False
// after a memory failure (st->status then says which).
bool rule_ident(scan_state *st);
bool rule_label(scan_state *st);

// Applies the graph-building rules to a token whose text is st->word, then
// makes it the previous token. False after a memory failure (st->status then
// says which).
inline bool scan_apply(scan_state *st, token_class tk) {
  bool ok = true;
  switch (tk) {
    case TK_IDENT:
      // Only a global directive, a call or another identifier before it
      // gives an identifier a meaning; most identifiers need no more.
      if ((1u << st->prev) & (1u << TK_GLOBAL | 1u << TK_CALL | 1u << TK_IDENT))
        ok = rule_ident(st);
      break;
    case TK_LABEL:
      // Labels in code matter only as the announced function.
      if (!st->in_text || (st->prev == TK_IDENT && st->pending != nullptr)) ok = rule_label(st);
      break;
    case TK_DATASEC:
      st->in_text = false;
      break;
    case TK_TEXTSEC:
      st->in_text = true;
      break;
    default:
      break;
  }
  // Only tokens move `prev`: white space, line ends, comments, strings and
  // ignored characters leave it, so in `call [table]` the callee is `table`
  // and a label on the line after `global main` still follows `main`.
  st->prev = tk;
  return ok;
}
