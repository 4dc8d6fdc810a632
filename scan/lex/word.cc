#include "scan/lex/word.h"

#include <cstring>

#include "memory/memory.h"
#include "scan/simd/dispatch.h"

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

word_result read_word_rest(scan_source *src, const lex_chars *chars, int first,
                           std::string_view run, scan_word *word, unsigned char bit) {
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
    run = src_take_run(src, [chars, bit](const unsigned char *p) {
      return simd_run_end(chars->fixed_kernel, p, chars->cls, bit);
    });
  }
  word->w_text[word->w_len] = '\0';
  return WORD_OK;
}
