// The lexing that both dialects share: the character classes, the word
// reader, quoted strings and the life of a file's state.
#include "scan/lexer.h"

#include <cctype>
#include <cstring>

#include "graph/memory.h"
#include "scan/scanner.h"

unsigned char scan_char_class[256];
bool scan_ascii_words = false;

void scan_init_chars() {
  scan_ascii_words = true;
  for (int c = 0; c < 256; ++c) {
    unsigned char flags = 0;
    if (std::isspace(c) && c != '\n') flags |= CH_BLANK;
    if (std::isalpha(c) || c == '_') flags |= CH_WORD_START;
    if (std::isalnum(c) || c == '_') flags |= CH_WORD;
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    bool ascii_word = letter || (c >= '0' && c <= '9');
    if (c < 128 && ascii_word != ((flags & CH_WORD) != 0)) scan_ascii_words = false;
    if (letter || c == '.' || c >= 128) flags |= CH_GNU_START;
    if (ascii_word || c == '.' || c == '$' || c >= 128) flags |= CH_GNU_NAME;
    if (letter || c == '.' || c == '?') flags |= CH_NASM_START;
    if (ascii_word || (c != 0 && std::strchr("$#@~.?", c) != nullptr)) flags |= CH_NASM_NAME;
    if (c != 0 && std::strchr(" \t\r\f\v", c) != nullptr) flags |= CH_ASM_BLANK;
    scan_char_class[c] = c == 0 ? 0 : flags;
  }
}

namespace {
// Makes room for at least `need` bytes plus the NUL; false when memory ran out.
bool word_reserve(scan_word *word, size_t need) {
  if (need < word->w_cap) return true;
  size_t cap = word->w_cap ? word->w_cap : 32;
  while (cap <= need)
    cap *= 2;
  char *text = static_cast<char *>(mem_realloc(word->w_text, cap));
  if (text == nullptr) return false;
  word->w_text = text;
  word->w_cap = cap;
  return true;
}
}  // namespace

word_result read_word_rest(scan_source *src, int first, std::string_view run, scan_word *word,
                           unsigned char chars) {
  word->w_len = 0;
  if (!word_reserve(word, 1)) return WORD_NOMEM;
  word->w_text[word->w_len++] = static_cast<char>(first);
  for (;;) {
    // Room for the padding too, so that the next word as long as this one
    // takes the quick way.
    if (!word_reserve(word, word->w_len + run.size() + SRC_PAD)) return WORD_NOMEM;
    std::memcpy(word->w_text + word->w_len, run.data(), run.size());
    word->w_len += run.size();
    if (!src_drained(src)) break;
    // The buffer ran out inside the word: refill and go on.
    if (!src_fill(src)) return WORD_EOF;
    run = scan_take_word_run(src, chars);
  }
  word->w_text[word->w_len] = '\0';
  return WORD_OK;
}

scan_result scan_end(scan_state *st) {
  mem_free(st->pending);
  mem_free(st->current);
  mem_free(st->word.w_text);
  st->pending = nullptr;
  st->current = nullptr;
  st->word = scan_word{nullptr, 0, 0};
  return scan_result{st->status, st->lineno};
}

bool scan_nomem(scan_state *st) {
  st->status = scan_status::nomem;
  return false;
}

bool scan_string(scan_state *st, scan_source *src, int quote) {
  for (;;) {
    int c = src_get(src);
    if (c == SRC_EOF) return false;
    if (c == quote) return true;
    if (c == '\n') {
      st->lineno++;
    } else if (c == '\\') {
      // The escaped character never ends the string, but a newline is
      // still a line of the file.
      c = src_get(src);
      if (c == SRC_EOF) return false;
      if (c == '\n') st->lineno++;
    }
  }
}
