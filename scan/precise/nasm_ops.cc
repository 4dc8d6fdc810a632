// What the precise NASM reader passes over straight in the buffer: the plain
// part of operands, and the rest of a line that means nothing.
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
