// Source scanners: cut one assembly file into tokens and turn the tokens into
// symbols and edges of the run's call graph.
//
// Both dialects share the token classes, the per-file state, the word reader
// and the graph-building rules below; a dialect's lexer only decides how
// characters become tokens.
#pragma once

#include <cstddef>
#include <cstdint>

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
};
extern unsigned char scan_char_class[256];

// Fills scan_char_class from the current locale; call after setlocale.
void scan_init_chars();

// A word buffer that the scanner reuses from word to word.
struct scan_word {
  char *w_text;  // NUL-terminated
  size_t w_len;
  size_t w_cap;
};

// What read_word met.
enum word_result { WORD_OK, WORD_EOF, WORD_NOMEM };

// Reads a word that begins with `first`: `first` and the letters, digits and
// underscores after it, into `word`. Returns WORD_OK with the character after
// the word pushed back, WORD_EOF when the file ends right after the word (the
// word is then cut off and must be dropped), WORD_NOMEM when the buffer
// cannot grow.
word_result read_word(scan_source *src, int first, scan_word *word);

// The state of one file's scan.
struct scan_state {
  call_graph *graph;
  scan_source *src;
  const char *file;
  token_class prev;
  int in_text;
  char *pending;  // owned: the name a global directive announced
  char *current;  // owned: the function whose body is being read
  scan_word word;
  int64_t lineno;
};

// Starts the state of one file.
void scan_begin(scan_state *st, call_graph *graph, scan_source *src, const char *file);

// Releases what the state owns at the end of a file, however the scan ended.
void scan_end(scan_state *st);

// Reads the word that begins with `first` into st->word. Returns 1 when a
// word was read; 0 at the end of the file (*ok = 1) or when memory ran out
// (*ok = 0, message written).
int scan_read_word(scan_state *st, int first, int *ok);

// Applies the graph-building rules to a token whose text is st->word, then
// makes it the previous token. Returns 1, or 0 after a memory failure (the
// message has been written).
int scan_apply(scan_state *st, token_class tk);

// Writes the scanner's memory message for the current file and line; returns 0.
int scan_nomem(const scan_state *st);

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
