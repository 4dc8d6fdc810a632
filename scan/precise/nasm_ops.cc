// What the precise NASM reader passes over straight in the buffer: the plain
// part of operands, and the rest of a line that means nothing; and the names
// that NASM keeps for itself.
#include "scan/precise/nasm_ops.h"

#include "scan/lex/keys.h"
#include "scan/precise/reader.h"

namespace {
// The bytes that mean nothing in the rest of a line that is passed over:
// all but strings, comments, backslashes, line ends and 0.
constexpr struct nasm_skipped_bytes {
  bool is[256] = {};
  constexpr nasm_skipped_bytes() {
    for (int c = 1; c < 256; ++c)
      is[c] = !syntax_desc::has("\"'`;\\\n", static_cast<unsigned char>(c));
  }
} nasm_skipped;

// The bytes that operands pass over as they are: blanks and punctuation;
// not names, numbers, "$", "%", strings, comments, backslashes, line ends
// or 0 (which may be the end of the data).
constexpr struct np_inert_bytes {
  bool is[256] = {};
  constexpr np_inert_bytes() {
    for (int c = 1; c < 256; ++c) {
      is[c] = !(syntax_classes.cls[c] & CH_NASM_START) && (c < '0' || c > '9') &&
              !syntax_desc::has("$%\"'`;\\\n", static_cast<unsigned char>(c));
    }
  }
} np_inert;

}  // namespace

// Passes over the plain part of operands in the buffer at once: blanks,
// punctuation, numbers, and names, each a reference unless it is known to
// name no data. Stops before anything else, and before a name or number that
// runs to the end of the data read so far. Returns 1, or 0 after a failure.
int nasm_plain_operands(precise_lexer *lx, sym_id owner) {
  scan_source *src = lx->src;
  const unsigned char *cls = syntax_classes.cls;
  const unsigned char *q = src->buf + src->pos;
  for (;;) {
    while (np_inert.is[*q])
      ++q;
    unsigned char first = *q;
    bool number = first >= '0' && first <= '9';
    if (!number && !(cls[first] & CH_NASM_START)) break;
    const unsigned char *start = q;
    do {
      ++q;
    } while (cls[*q] & CH_NASM_NAME);
    if (q == src->buf + src->len) {
      q = start;  // it may go on after the next read
      break;
    }
    // Numbers and local labels are no references; registers name no data.
    if (number || owner == SYM_NONE || (first == '.' && start[1] != '.')) {
      continue;
    }
    auto len = static_cast<size_t>(q - start);
    if (precise_known_absent(&lx->pf, reinterpret_cast<const char *>(start), len, owner)) continue;
    src->pos = static_cast<size_t>(start + 1 - src->buf);
    if (!precise_read_name(lx, first, CH_NASM_NAME)) return precise_nomem(&lx->pf, lx->line);
    if (!precise_reference(&lx->pf, owner, lx->word.w_text, lx->word.w_len, lx->line)) return 0;
    q = src->buf + src->pos;
  }
  src->pos = static_cast<size_t>(q - src->buf);
  return 1;
}

void nasm_pass_skipped(scan_source *src) {
  const unsigned char *q = src->buf + src->pos;
  while (nasm_skipped.is[*q])
    ++q;
  src->pos = static_cast<size_t>(q - src->buf);
}

bool nasm_gnu_directive(const scan_word &word) {
  return lex_list_has(".text .data .bss .globl .global .section .type .size .file .p2align",
                      {word.w_text, word.w_len});
}

namespace {
// The registers named by a prefix and a number, and the highest number.
struct numbered_register {
  std::string_view prefix;
  unsigned last;
};
constexpr numbered_register numbered_registers[] = {
    {"cr", 15},  {"dr", 15},  {"tr", 7}, {"st", 7},  {"mm", 7},  {"xmm", 31},
    {"ymm", 31}, {"zmm", 31}, {"k", 7},  {"bnd", 3}, {"tmm", 7}, {"r", 15}};
}  // namespace

bool nasm_register(std::string_view word) {
  // The keyword table has room for 8 bytes after a word of up to 16.
  char low[32] = {};
  if (word.empty() || word.size() > 8) return false;
  for (size_t i = 0; i < word.size(); ++i)
    low[i] = word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] - 'A' + 'a') : word[i];
  std::string_view w(low, word.size());
  if (precise_keyword_at(reinterpret_cast<const unsigned char *>(low), w.size(), KW_REGISTER) ||
      lex_list_has("al bl cl dl ah bh ch dh spl bpl sil dil cs ds es fs gs ss st rip eip", w)) {
    return true;
  }
  size_t digits = w.find_first_of("0123456789");
  if (digits == 0 || digits == std::string_view::npos) return false;
  std::string_view prefix = w.substr(0, digits);
  size_t end = digits;
  unsigned number = 0;
  for (; end < w.size() && w[end] >= '0' && w[end] <= '9'; ++end)
    number = number * 10 + static_cast<unsigned>(w[end] - '0');
  // No leading zero; only r8 to r15 take a size letter (r8b, r8l, r8w, r8d).
  if (w[digits] == '0' && end - digits > 1) return false;
  std::string_view suffix = w.substr(end);
  if (!suffix.empty() && !(prefix == "r" && suffix.size() == 1 && lex_list_has("b l w d", suffix)))
    return false;
  for (const numbered_register &r : numbered_registers) {
    if (r.prefix == prefix) return number <= r.last && (prefix != "r" || number >= 8);
  }
  return false;
}
