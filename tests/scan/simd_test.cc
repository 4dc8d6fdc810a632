// Every vector kernel must say of every byte what the plain one says: the
// masks of a block, the next of two bytes, the newlines, and the end of a
// run of each class the kernels know, over blocks of every byte value.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scan/lex/chars.h"
#include "scan/simd/dispatch.h"
#include "scan/syntax/classes.h"

namespace {
// What kernel K says of the `n` bytes at `p` (padded with 0s after them).
struct kernel_report {
  template <class K>
  static std::vector<uint64_t> run(const unsigned char *p, size_t n, const lex_chars *chars) {
    std::vector<uint64_t> r;
    for (size_t at = 0; at + 64 <= n; at += 64) {
      simd_block m = K::masks(p + at, chars->cls, ';');
      r.insert(r.end(), {m.word, m.special, m.newline, m.blank});
    }
    r.push_back(K::count_lines(p, n));
    for (int a : {int{'\n'}, int{'\\'}, int{'/'}, 0x80}) {
      for (size_t at = 0; at < n; at += 13)
        r.push_back(K::find2(p + at, n - at, static_cast<unsigned char>(a), '"'));
    }
    for (unsigned char bit : {CH_WORD, CH_ASM_BLANK, CH_GNU_NAME, CH_NASM_NAME, CH_BLANK}) {
      const unsigned char *cls =
          bit == CH_WORD || bit == CH_BLANK ? chars->cls : syntax_classes.cls;
      for (size_t at = 0; at < n; ++at)
        r.push_back(static_cast<uint64_t>(K::run_end(p + at, cls, bit) - p));
    }
    return r;
  }
};

TEST(Kernels, AgreeWithThePlainOneOnEveryByte) {
  lex_chars chars;
  lex_chars_from_locale(&chars);
  // Runs of word, name and blank bytes long enough to cross 16-byte steps,
  // mixed with every byte value.
  std::mt19937 rng(18);
  const std::string pieces[] = {
      "abcXYZ_09",          "$#@~.?", " \t\r\f\v", "\n", "\x80\xff\xc3\xa9", std::string(40, 'w'),
      std::string(20, ' '), ";\"'"};
  std::vector<unsigned char> buf;
  for (int c = 1; c < 256; ++c)
    buf.push_back(static_cast<unsigned char>(c));
  while (buf.size() < 64 * 64) {
    const std::string &s = pieces[rng() % std::size(pieces)];
    buf.insert(buf.end(), s.begin(), s.end());
    buf.push_back(static_cast<unsigned char>(rng() % 255 + 1));
  }
  size_t n = buf.size() / 64 * 64;
  buf.resize(n + 64, 0);  // the padding a source buffer has
  auto plain = simd_dispatch<kernel_report>(simd_kind::plain, buf.data(), n,
                                            static_cast<const lex_chars *>(&chars));
  for (simd_kind kind : {simd_kind::sse2, simd_kind::avx2, simd_kind::neon}) {
    if (!simd_available(kind)) continue;
    SCOPED_TRACE(simd_name(kind));
    EXPECT_EQ(
        simd_dispatch<kernel_report>(kind, buf.data(), n, static_cast<const lex_chars *>(&chars)),
        plain);
  }
}
}  // namespace
