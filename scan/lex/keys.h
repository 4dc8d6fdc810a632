// Keyword tables built at compile time from blank-separated word lists, the
// same builder for every reader. A word is looked up by its length and first
// two bytes first: for each byte the table knows the lengths of the keywords
// that have it first or second, and for each (byte, length) which kinds they
// can be, so most words are turned away without a probe. Then an
// open-addressed probe on the word's bytes, 8 at a time.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// True when `word` is one of the blank-separated words of `list`.
constexpr bool lex_list_has(const char *list, std::string_view word) {
  for (const char *w = list; *w != '\0';) {
    size_t len = 0;
    while (w[len] != '\0' && w[len] != ' ')
      ++len;
    if (std::string_view(w, len) == word) return true;
    w += len + (w[len] == ' ');
  }
  return false;
}

// `V` is a mask of kinds, `max_len` the longest keyword, `nslots` a power of
// two well above the number of keywords. With `fold`, a word matches in any
// ASCII case: its bytes and the keyword's are compared with the 0x20 bit
// set, which is the case of a letter, and no other two characters of a name
// differ in it alone.
template <class V, size_t max_len, size_t nslots, bool fold>
struct lex_keywords {
  static_assert(max_len < 63, "a length mask holds a bit per length and one that is none");
  static constexpr size_t chunks = (max_len + 7) / 8;
  static constexpr uint64_t blanks = fold ? 0x2020202020202020ull : 0;

  struct slot {
    uint64_t key[chunks];
    V kinds;  // 0 in an empty slot
  };
  slot slots[nslots] = {};
  // Bit n: some keyword of n bytes has this byte first (second).
  uint64_t first_lens[256] = {};
  uint64_t second_lens[256] = {};
  V first[256][max_len + 1] = {};
  V second[256][max_len + 1] = {};

  // A chunk of a key: at most 8 of the `len` bytes from `text`, and with
  // `fold` the 0x20 bit set in every byte, blanks after the word.
  static constexpr uint64_t chunk(const char *text, size_t len) {
    uint64_t c = 0;
    for (size_t i = 0; i < 8 && i < len; ++i)
      c |= uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
    return c | blanks;
  }

  // The same from a buffer that holds at least 8 bytes at `at`.
  static uint64_t load(const char *at, size_t len) {
    if constexpr (std::endian::native != std::endian::little) return chunk(at, len);
    if (len == 0) return blanks;
    uint64_t c;
    std::memcpy(&c, at, 8);
    if (len < 8) c &= (uint64_t{1} << (8 * len)) - 1;
    return c | blanks;
  }

  // Notes in the prefilter that a keyword of `len` bytes and of `kinds` has
  // the byte `c` at `at` (0: first, 1: second). With `fold`, its other case
  // is noted too, so that a word's bytes are looked up as they are.
  constexpr void note(size_t at, char c, size_t len, V kinds) {
    auto b = static_cast<unsigned char>(c);
    unsigned char rows[2] = {b, fold ? static_cast<unsigned char>(b ^ 0x20) : b};
    for (unsigned char r : rows) {
      (at == 0 ? first : second)[r][len] |= kinds;
      (at == 0 ? first_lens : second_lens)[r] |= uint64_t{1} << len;
    }
  }

  // The slot a key's probe starts at.
  static constexpr size_t hash(const uint64_t *key) {
    constexpr uint64_t mult[3] = {0x9e3779b97f4a7c15ull, 0xc2b2ae3d27d4eb4full,
                                  0x165667b19e3779f9ull};
    uint64_t h = 0;
    for (size_t i = 0; i < chunks; ++i)
      h ^= key[i] * mult[i % 3];
    return static_cast<size_t>(h >> 40) % nslots;
  }

  // The slot that holds `key`, or the empty one where it would go.
  template <class Slot>
  static constexpr Slot *find_slot(Slot *table, const uint64_t *key) {
    for (size_t i = hash(key);; i = (i + 1) % nslots) {
      Slot *s = &table[i];
      bool same = true;
      for (size_t k = 0; k < chunks; ++k)
        same = same && s->key[k] == key[k];
      if (s->kinds == 0 || same) return s;
    }
  }

  // Adds every word of the blank-separated list `words` as of `kinds`.
  constexpr void add(const char *words, V kinds) {
    for (const char *w = words; *w != '\0';) {
      size_t len = 0;
      while (w[len] != '\0' && w[len] != ' ')
        ++len;
      uint64_t key[chunks];
      for (size_t i = 0; i < chunks; ++i)
        key[i] = len > 8 * i ? chunk(w + 8 * i, len - 8 * i) : blanks;
      slot *s = find_slot(slots, key);
      for (size_t i = 0; i < chunks; ++i)
        s->key[i] = key[i];
      s->kinds |= kinds;
      note(0, w[0], len, kinds);
      note(1, w[1], len, kinds);
      w += len + (w[len] == ' ');
    }
  }

  // The kinds among `kinds` of the word of `len` bytes at `text`; the buffer
  // holds 8 bytes past every chunk of a word no longer than `max_len`, and a
  // second byte (the NUL or any other) after a word of one. 0 for no keyword.
  [[gnu::always_inline]] V find(const char *text, size_t len,
                                V kinds = static_cast<V>(~V{})) const {
    // One branch, rarely taken: word lengths vary from word to word, and a
    // test of the length alone would be guessed wrong often. A word of 64
    // bytes or more passes only when a shorter keyword's bit says so, and
    // the length test after it turns it away.
    auto b0 = static_cast<unsigned char>(text[0]);
    auto b1 = static_cast<unsigned char>(text[1]);
    if (!((first_lens[b0] & second_lens[b1]) >> (len & 63) & 1)) return 0;
    if (len > max_len) return 0;
    constexpr V all = static_cast<V>(~V{});
    if (kinds != all && !(first[b0][len] & second[b1][len] & kinds)) return 0;
    return probe(text, len) & kinds;
  }

  // The kinds of a word that the prefilter let through; 0 for none.
  [[gnu::noinline]] V probe(const char *text, size_t len) const {
    uint64_t key[chunks];
    for (size_t i = 0; i < chunks; ++i)
      key[i] = load(text + 8 * i, len > 8 * i ? len - 8 * i : 0);
    return find_slot(slots, key)->kinds;
  }
};
