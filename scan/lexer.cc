// The lexing that both dialects share: the character classes, the word
// reader, line counting and the life of a file's state.
#include "scan/lexer.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "memory/memory.h"
#include "scan/masks.h"
#include "scan/scanner.h"

unsigned char scan_char_class[256];
bool scan_ascii_words = false;
mask_kind scan_mask_kind = mask_kind::plain;

bool mask_kind_available(mask_kind kind) {
  switch (kind) {
    case mask_kind::plain:
      return true;
    case mask_kind::sse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case mask_kind::avx2:
#if defined(__x86_64__)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

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
  // The vector masks know only ASCII letters, digits and underscores, and
  // the C locale's blanks.
  bool c_locale = scan_ascii_words;
  for (int c = 0; c < 256; ++c) {
    if (c >= 128 && (scan_char_class[c] & CH_WORD) != 0) c_locale = false;
    bool blank = c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
    if (blank != ((scan_char_class[c] & CH_BLANK) != 0)) c_locale = false;
  }
  scan_mask_kind = mask_kind::plain;
  if (c_locale) {
    if (mask_kind_available(mask_kind::sse2)) scan_mask_kind = mask_kind::sse2;
    if (mask_kind_available(mask_kind::avx2)) scan_mask_kind = mask_kind::avx2;
  }
}

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
  mem_free(st->scratch.w_text);
  st->pending = nullptr;
  st->current = nullptr;
  st->scratch = scan_word{nullptr, 0, 0};
  return scan_result{st->status, st->lineno};
}

bool scan_nomem(scan_state *st) {
  st->status = scan_status::nomem;
  return false;
}

size_t scan_count_lines(const unsigned char *p, size_t n) {
  size_t lines = 0;
  size_t i = 0;
#if defined(__SSE2__)
  // Each newline subtracts -1 from its byte of `counts`; a byte holds at
  // most 255 before the bytes are summed.
  const __m128i nl = _mm_set1_epi8('\n');
  while (n - i >= 16) {
    __m128i counts = _mm_setzero_si128();
    size_t stop = i + 16 * std::min<size_t>((n - i) / 16, 255);
    for (; i < stop; i += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, nl));
    }
    __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    lines += static_cast<size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
#endif
  for (; i < n; ++i)
    lines += p[i] == '\n';
  return lines;
}
