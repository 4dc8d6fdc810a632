// A word buffer that a reader reuses from word to word, and the gathering of
// a word that runs on past the end of the source's buffer.
#pragma once

#include <cstddef>
#include <string_view>

#include "scan/lex/chars.h"
#include "scan/lex/source.h"

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
[[nodiscard]] bool word_reserve(scan_word *word, size_t need);

// Gathers into `word` a word that begins with `first` and goes on with the
// characters of class `bit`, one of the assemblers' own (CH_NASM_NAME,
// CH_GNU_NAME): `run` is the part after `first` already
// consumed, and the word may go on past refills. Returns WORD_OK with the
// character after the word still unread, WORD_EOF when the file ends right
// after the word, WORD_NOMEM when the word buffer cannot grow.
[[nodiscard]] word_result read_word_rest(scan_source *src, const lex_chars *chars, int first,
                                         std::string_view run, scan_word *word, unsigned char bit);
