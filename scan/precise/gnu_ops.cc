// The rarer statements of the precise GNU reading: calls through a slot of
// the global offset table or the import table, other names of a symbol
// (.set), .func and quoted names.
#include "scan/precise/gnu_ops.h"

#include "scan/isa/x86_64.h"
#include "scan/lex/keys.h"

int gnu_slot(gnu_reader *g, precise_event_kind kind, int c, bool read) {
  precise_lexer *lx = &g->lx;
  for (;; read = false, c = gp_next(g)) {
    if (!read && gp_end(c)) return 1;
    if (!read && !gp_name_start(c)) {
      if (c == x86_64_isa.register_mark) precise_pass(lx, syntax_classes.cls, CH_GNU_NAME);
      continue;  // "*", "[", "+", "(": none names the slot
    }
    if (!read && !gp_read(g, c)) return 0;
    // Intel syntax spells sizes and registers bare ("QWORD PTR [rip + f@GOT]");
    // a word with "@" after it is a symbol whatever it spells, and in AT&T
    // syntax every bare word is one ("*byte@GOTPCREL(%rip)").
    std::string_view w(lx->word.w_text, lx->word.w_len);
    bool bare_word =
        g->intel && src_peek(lx->src) != '@' &&
        (precise_keyword(lx->word, KW_SIZE | KW_REGISTER) || lex_list_has("rip eip", w));
    if (!bare_word) break;
  }
  int64_t line = lx->line;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  bool got = false;
  if ((c = src_get(lx->src)) == '@') {
    c = src_get(lx->src);
    if (gp_name_start(c) && !gp_read(g, c)) return 0;
    got = gp_name_start(c) &&
          lex_list_has("GOTPCREL GOT GOTPCRELX REX_GOTPCRELX", {lx->word.w_text, lx->word.w_len});
  }
  if (c != SRC_EOF && !gp_name_start(c)) src_unget(lx->src);
  gp_skip(g, gp_next(g));
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
  precise_lexer *lx = &g->lx;
  if (!gp_name_start(c)) return gp_skip(g, c), 1;
  if (!gp_read(g, c)) return 0;
  uint32_t b = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (b == PRECISE_NONE) return 0;
  c = gp_next(g);
  bool alone = gp_end(c);
  gp_skip(g, c);
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
  precise_lexer *lx = &g->lx;
  std::string_view word(lx->word.w_text, lx->word.w_len);
  bool set = lex_list_has(".set .equ .equiv .thumb_set", word);
  if (!set && word != ".func") return -1;
  int c = gp_next(g);
  if (!gp_name_start(c)) return gp_skip(g, c), 1;
  if (!gp_read(g, c)) return 0;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  c = gp_next(g);
  if (!set) {
    lx->pf.names[id].flags |= PN_ANNOUNCED;
    return gp_skip(g, c), 1;
  }
  if (c != ',') return gp_skip(g, c), 1;
  return gnu_alias(g, id, gp_next(g));
}

int gnu_equals(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  int c = precise_skip_blanks(lx);
  if (c != '=') {
    if (c != SRC_EOF) src_unget(lx->src);
    return -1;
  }
  c = src_get(lx->src);
  if (c == '=') return gp_skip(g, gp_next(g)), 1;  // a comparison
  if (c != SRC_EOF) src_unget(lx->src);
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  return gnu_alias(g, id, gp_next(g));
}
