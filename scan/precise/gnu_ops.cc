// The rarer statements of the precise GNU reading: calls through a slot of
// the global offset table or the import table, other names of a symbol
// (.set), .func and quoted names.
#include "scan/precise/gnu_ops.h"

#include "scan/isa/x86_64.h"
#include "scan/lex/keys.h"

int gnu_slot(gnu_reader *g, precise_event_kind kind, int c, bool read) {
  precise_lexer *lx = gnu_lexing.lexer(g);
  for (;; read = false, c = gnu_lexing.next(g)) {
    if (!read && gnu_end(c)) return 1;
    if (!read && !gnu_name_start(c)) {
      if (c == x86_64_isa.register_mark) precise_pass(lx, syntax_classes.cls, CH_GNU_NAME);
      continue;  // "*", "[", "+", "(": none names the slot
    }
    if (!read && !gnu_lexing.read(g, c)) return 0;
    std::string_view w(lx->word.w_text, lx->word.w_len);
    if (!precise_keyword(lx->word, KW_SIZE | KW_REGISTER) && !lex_list_has("rip eip", w)) break;
  }
  int64_t line = lx->line;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  bool got = false;
  if ((c = src_get(lx->src)) == '@') {
    c = src_get(lx->src);
    if (gnu_name_start(c) && !gnu_lexing.read(g, c)) return 0;
    got = gnu_name_start(c) &&
          lex_list_has("GOTPCREL GOT GOTPCRELX REX_GOTPCRELX", {lx->word.w_text, lx->word.w_len});
  }
  if (c != SRC_EOF && !gnu_name_start(c)) src_unget(lx->src);
  gnu_lexing.skip(g, gnu_lexing.next(g));
  const precise_name &n = lx->pf.names[id];
  std::string_view f = precise_slot_function(n.text, n.len, got);
  if (f.empty() || (id = precise_intern(&lx->pf, f.data(), f.size())) == PRECISE_NONE) {
    return f.empty();
  }
  if (kind == PE_CALL) lx->pf.names[id].flags |= PN_CALLED;
  return precise_note(&lx->pf, kind, id, line);
}

namespace {
// Reads the name after `a` of `a = b` or `.set a, b` from `c` on: when it is
// a name alone, `a` is another name of it in this file. 1, or 0 when memory
// ran out.
int gnu_alias(gnu_reader *g, uint32_t a, int c) {
  precise_lexer *lx = gnu_lexing.lexer(g);
  if (!gnu_name_start(c)) return gnu_lexing.skip(g, c), 1;
  if (!gnu_lexing.read(g, c)) return 0;
  uint32_t b = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (b == PRECISE_NONE) return 0;
  c = gnu_lexing.next(g);
  bool alone = gnu_end(c);
  gnu_lexing.skip(g, c);
  if (!alone || a == b) return 1;  // an expression: a constant
  uint32_t canon = precise_canon_of(&lx->pf, b);
  if (canon == PRECISE_NONE) return 0;
  precise_name &n = lx->pf.names[a];
  n.canon = canon;
  n.flags |= PN_CANON | PN_ALIAS;
  return 1;
}
}  // namespace

int gnu_directive(gnu_reader *g) {
  precise_lexer *lx = gnu_lexing.lexer(g);
  std::string_view word(lx->word.w_text, lx->word.w_len);
  bool set = lex_list_has(".set .equ .equiv", word);
  if (!set && word != ".func") return -1;
  int c = gnu_lexing.next(g);
  if (!gnu_name_start(c)) return gnu_lexing.skip(g, c), 1;
  if (!gnu_lexing.read(g, c)) return 0;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  c = gnu_lexing.next(g);
  if (!set) {
    lx->pf.names[id].flags |= PN_ANNOUNCED;
    return gnu_lexing.skip(g, c), 1;
  }
  if (c != ',') return gnu_lexing.skip(g, c), 1;
  return gnu_alias(g, id, gnu_lexing.next(g));
}

int gnu_equals(gnu_reader *g) {
  precise_lexer *lx = gnu_lexing.lexer(g);
  int c = precise_skip_blanks(lx);
  if (c != '=') {
    if (c != SRC_EOF) src_unget(lx->src);
    return -1;
  }
  c = src_get(lx->src);
  if (c == '=') return gnu_lexing.skip(g, gnu_lexing.next(g)), 1;  // a comparison
  if (c != SRC_EOF) src_unget(lx->src);
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  return gnu_alias(g, id, gnu_lexing.next(g));
}

int gnu_quoted_name(gnu_reader *g) {
  precise_lexer *lx = gnu_lexing.lexer(g);
  scan_word *w = &lx->word;
  w->w_len = 0;
  for (int c = src_get(lx->src); c != '"' && c != SRC_EOF; c = src_get(lx->src)) {
    if (c == '\\') c = src_get(lx->src);
    if (c == '\n') src_unget(lx->src);
    if (c == '\n' || c == SRC_EOF) break;
    if (!word_reserve(w, w->w_len + 1)) return 0;
    w->w_text[w->w_len++] = static_cast<char>(c);
  }
  if (!word_reserve(w, 2)) return 0;
  if (w->w_len == 0) w->w_text[w->w_len++] = '"', w->w_text[w->w_len++] = '"';
  w->w_text[w->w_len] = '\0';
  return 1;
}
