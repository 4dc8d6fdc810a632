// Source scanners: cut one assembly file into tokens and turn the tokens into
// symbols and edges of the run's call graph.
//
// Both dialects share the token classes, the per-file state, the word reader
// and the graph-building rules below; a dialect's lexer only decides how
// characters become tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graph/symbol_graph.h"
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

// Character classes of the user's locale, one byte of flags per byte value.
enum {
  CH_SPACE = 1,
  CH_WORD_START = 2,  // letter or underscore
  CH_WORD = 4,        // letter, digit or underscore
  // The names the assemblers themselves accept, the same in every locale:
  // GNU as takes letters, digits, "_", "." and "$" and every byte from 128
  // up, NASM letters, digits and "_$#@~.?"; neither begins one with a digit.
  CH_GNU_START = 8,
  CH_GNU_NAME = 16,
  CH_NASM_START = 32,
  CH_NASM_NAME = 64,
  CH_BLANK = 128,  // white space within a line, the same in every locale
};
extern unsigned char scan_char_class[256];

// Every byte value with ASCII capitals folded to lower case, for keywords.
extern unsigned char scan_fold[256];

// Fills scan_char_class and scan_fold from the current locale; call after
// setlocale.
void scan_init_chars();

// A word buffer that the scanner reuses from word to word.
struct scan_word {
  char *w_text;  // NUL-terminated
  size_t w_len;
  size_t w_cap;
};

// What read_word met.
enum word_result { WORD_OK, WORD_EOF, WORD_NOMEM };

// Reads a word that begins with `first`: `first` and the characters of class
// `chars` after it (letters, digits and underscores unless said otherwise),
// into `word`. Returns WORD_OK with the character after the word pushed back,
// WORD_EOF when the file ends right after the word (the word is then cut off
// and must be dropped), WORD_NOMEM when the buffer cannot grow.
word_result read_word(scan_source *src, int first, scan_word *word, unsigned chars = CH_WORD);

// True when the locale classes the bytes below 128 as word characters
// exactly as the C locale does, so that they can be tested 16 at a time.
extern bool scan_ascii_words;

// The end of the run of word characters that starts at `p`; the run ends
// inside the buffer at the latest, at the 0 after the data.
inline const unsigned char *scan_word_end(const unsigned char *p, unsigned chars = CH_WORD) {
#if defined(__SSE2__)
  if (scan_ascii_words && chars == CH_WORD) {
    for (;;) {
      // Bytes from 128 up are negative as signed bytes, so they fall in
      // none of the ranges and end the vector run; the table decides them.
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
      __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
      __m128i alpha = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                    _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
      __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                    _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
      __m128i under = _mm_cmpeq_epi8(v, _mm_set1_epi8('_'));
      unsigned mask =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(alpha, digit), under)));
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

// read_word for the common case of a word that ends inside the buffer and
// fits the word buffer as it is; anything else goes to read_word.
inline word_result read_word_fast(scan_source *src, int first, scan_word *word,
                                  unsigned chars = CH_WORD) {
  const unsigned char *p = src->buf + src->pos;
  const unsigned char *end = src->buf + src->len;
  // Room for the whole rest of the buffer, copied 16 bytes at a time.
  if (word->w_cap > static_cast<size_t>(end - p) + 1 + SRC_PAD) {
    const unsigned char *stop = scan_word_end(p, chars);
    if (stop < end) {
      char *out = word->w_text;
      *out++ = static_cast<char>(first);
      size_t n = static_cast<size_t>(stop - p);
      for (size_t i = 0; i < n; i += 16)
        std::memcpy(out + i, p + i, 16);
      out[n] = '\0';
      word->w_len = n + 1;
      src->pos = static_cast<size_t>(stop - src->buf);
      return WORD_OK;
    }
  }
  return read_word(src, first, word, chars);
}

// The state of one file's scan.
struct scan_state {
  call_graph *graph;
  scan_source *src;
  const char *file;
  token_class prev;
  int in_text;
  char *pending;   // owned: the name a global directive announced
  char *current;   // owned: the function whose body is being read
  symbol *caller;  // the record calls from `current` go to, once looked up
  scan_word word;
  int64_t lineno;
};

// Starts the state of one file.
void scan_begin(scan_state *st, call_graph *graph, scan_source *src, const char *file);

// Releases what the state owns at the end of a file, however the scan ended.
void scan_end(scan_state *st);

// What scan_read_word does when no word came (`result` is WORD_EOF or
// WORD_NOMEM): sets *ok, writes the message of a memory failure; returns 0.
int scan_word_missing(scan_state *st, word_result result, int *ok);

// Reads the word that begins with `first` into st->word. Returns 1 when a
// word was read; 0 at the end of the file (*ok = 1) or when memory ran out
// (*ok = 0, message written).
inline int scan_read_word(scan_state *st, int first, int *ok) {
  word_result result = read_word_fast(st->src, first, &st->word);
  return result == WORD_OK ? 1 : scan_word_missing(st, result, ok);
}

// Applies the graph-building rules to a token whose text is st->word, then
// makes it the previous token. Returns 1, or 0 after a memory failure (the
// message has been written).
int scan_apply(scan_state *st, token_class tk);

// Writes the scanner's memory message for the current file and line; returns 0.
int scan_nomem(const scan_state *st);

// Writes the scanner's memory message for `file` and `line`; returns 0.
int scan_nomem_at(const char *file, int64_t line);

// The record a call of `name` goes to: the first one of that name, or else a
// new forward declaration of a function; null when memory ran out.
symbol *scan_call_target(call_graph *graph, const char *name, const char *file);

// Records that `caller` (null: nobody, and nothing is recorded) calls or
// references `target`. Returns 1, or 0 after a memory message, the scanner's
// for `file` and `line` or the graph's own.
int scan_charge(call_graph *graph, symbol *caller, symbol *target, const char *file, int64_t line);

// Consumes a quoted string whose opening quote has been read. Returns 0 when
// the file ends inside it.
int scan_string(scan_state *st, int quote);

// Forgets the NASM scanner's count of tokens on the current line; call once at
// the start of a run (the count otherwise carries over from file to file).
void scan_nasm_reset();

// Scans one file in NASM syntax into the graph. Returns 1 at the end of the
// file, 0 after a memory failure (message written).
int scan_nasm(call_graph *graph, scan_source *src, const char *file);

// Scans one file in GNU assembler syntax into the graph. Returns 1 at the end
// of the file, 0 after a memory failure (message written).
int scan_gnu(call_graph *graph, scan_source *src, const char *file);

// The precise readings of option -p: the same, but names, comments, sections,
// functions and calls as the assemblers see them.
int scan_nasm_precise(call_graph *graph, scan_source *src, const char *file);
int scan_gnu_precise(call_graph *graph, scan_source *src, const char *file);
