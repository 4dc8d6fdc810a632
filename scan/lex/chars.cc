#include "scan/lex/chars.h"

#include <cctype>

#include "scan/syntax/classes.h"

namespace {
// The flags of byte `c` in the current locale.
unsigned char chars_of(int c) {
  unsigned char flags = 0;
  if (c == 0) return 0;
  if (std::isspace(c) && c != '\n') flags |= CH_BLANK;
  if (std::isalpha(c) || c == '_') flags |= CH_WORD_START;
  if (std::isalnum(c) || c == '_') flags |= CH_WORD;
  return flags | syntax_classes.cls[c];
}
}  // namespace

void lex_chars_from_locale(lex_chars *chars) {
  // The vector kernels know only ASCII letters, digits and underscores, and
  // the C locale's blanks; any other locale gets the plain one.
  bool c_locale = true;
  for (int c = 0; c < 256; ++c) {
    unsigned char flags = chars_of(c);
    chars->cls[c] = flags;
    bool ascii_word =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= '0' && c <= '9');
    if (ascii_word != ((flags & CH_WORD) != 0)) c_locale = false;
    bool blank = c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
    if (blank != ((flags & CH_BLANK) != 0)) c_locale = false;
  }
  chars->kernel = c_locale ? simd_best() : simd_kind::plain;
  chars->fixed_kernel = simd_best();
}
