// The rarer statements of the precise GNU reading: calls through a slot of
// the global offset table or the import table.
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
