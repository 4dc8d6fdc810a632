// The precise reading of GNU assembler syntax (-a -p): statements end at a
// newline or ";", comments run from "#" (and "//") to the end of the line or
// between "/*" and "*/", names are the assembler's own, sections carry their
// flags, and the operand of every call and jump is looked at.
#include <cstring>

#include "scan/isa/x86_64.h"
#include "scan/precise/gnu_lex.h"
#include "scan/precise/gnu_ops.h"
#include "scan/precise/objfmt.h"

namespace {
int gp_switch(gnu_reader *g, uint32_t id, precise_section_kind kind) {
  g->previous = g->lx.pf.section;
  return precise_section(&g->lx.pf, id, kind, g->lx.line);
}

// A section named by a word: code when its flags say executable, or, without
// flags, when its name is one of code.
int gp_section(gnu_reader *g, bool push) {
  precise_lexer *lx = &g->lx;
  int c = gp_next(g);
  bool quoted = c == '"';
  if (quoted) c = src_get(lx->src);
  if (!gp_name_start(c)) return gp_skip(g, c), 1;
  if (!gp_read(g, c)) return 0;
  const char *name = lx->word.w_text;
  precise_section_kind kind = SEC_UNKNOWN;
  if (precise_text_section(name)) kind = SEC_CODE;
  if (std::strcmp(name, ".init") == 0 || std::strcmp(name, ".fini") == 0) kind = SEC_CODE;
  if (std::strncmp(name, ".gnu.lto_", 9) == 0)
    scan_warn(&lx->warnings, scan_warning::not_assembly, "LTO bytecode");
  uint32_t id = precise_intern(&lx->pf, name, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  if (quoted) gp_quoted(g, '"');
  c = gp_next(g);
  if (c == ',') {
    c = gp_next(g);
    if (c == '"') {
      kind = SEC_DATA;
      while ((c = src_get(lx->src)) != SRC_EOF && c != '"' && c != '\n') {
        if (c == 'x') kind = SEC_CODE;
      }
      if (c == '\n') src_unget(lx->src);
      c = gp_next(g);
    } else if (!quoted && gp_name_start(c)) {
      c = gp_macho_section(g, c, &id, &kind);
      if (c == -2) return 0;
    }
  }
  if (push) {
    if (g->depth < 16) g->stack[g->depth] = lx->pf.section;
    g->depth++;
  }
  gp_skip(g, c);
  return gp_switch(g, id, kind);
}

// .globl, .global and .weak: every name of the list is announced.
int gp_announce(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  uint32_t weak =
      std::string_view(lx->word.w_text, lx->word.w_len) == ".weak" ? uint32_t{PN_WEAK} : 0;
  int c = gp_next(g);
  while (gp_symbol_start(c)) {
    if (!gp_read(g, c)) return 0;
    if (!gp_local(g, lx->word)) {
      uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
      if (id == PRECISE_NONE) return 0;
      lx->pf.names[id].flags |= PN_ANNOUNCED | PN_GLOBAL | weak;
    }
    c = gp_next(g);
    if (c != ',') break;
    c = gp_next(g);
  }
  gp_skip(g, c);
  return 1;
}

// .type NAME, @function (or %function, "function", STT_FUNC, an ifunc).
int gp_type(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  int c = gp_next(g);
  if (c >= '0' && c <= '9') return gp_coff_type(g, c), 1;
  if (!gp_symbol_start(c)) return gp_skip(g, c), 1;
  if (!gp_read(g, c)) return 0;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  c = gp_next(g);
  if (c == ',') c = gp_next(g);
  while (c == '@' || c == '%' || c == '"')
    c = src_get(lx->src);
  if (gp_name_start(c)) {
    if (!gp_read(g, c)) return 0;
    if (precise_keyword(lx->word, KW_FUNC_TYPE)) lx->pf.names[id].flags |= PN_ANNOUNCED;
    c = gp_next(g);
  }
  gp_skip(g, c);
  return 1;
}

// .arch and .cpu name the set of a file that has not shown it yet.
int gp_arch(gnu_reader *g) {
  int c = gp_next(g);
  if (gp_name_start(c)) {
    if (!gp_read(g, c)) return 0;
    isa_arch_name(&g->set, std::string_view(g->lx.word.w_text, g->lx.word.w_len));
    c = gp_next(g);
  }
  gp_skip(g, c);
  return 1;
}

int gp_directive(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  std::string_view word(lx->word.w_text, lx->word.w_len);
  if (isa_directive(&g->set, word)) return gp_arch(g);
  gp_settle(g);
  int done = gp_coff_directive(g, word);
  if (done >= 0) return done;
  done = gnu_directive(g);  // .set, .equ, .func
  if (done >= 0) return done;
  uint32_t kinds = precise_keyword(lx->word);
  if (kinds & (KW_TEXT | KW_DATASEC)) {
    uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
    if (id == PRECISE_NONE) return 0;
    gp_skip(g, gp_next(g));
    return gp_switch(g, id, kinds & KW_TEXT ? SEC_CODE : SEC_DATA);
  }
  if (kinds & (KW_SECTION_DIR | KW_PUSHSECTION)) return gp_section(g, kinds & KW_PUSHSECTION);
  if (kinds & (KW_POPSECTION | KW_PREVIOUS)) {
    uint32_t id = g->previous;
    gp_skip(g, gp_next(g));
    if (kinds & KW_POPSECTION) {
      // Pops past the 16 sections kept are counted, not followed.
      if (g->depth == 0 || --g->depth >= 16) return 1;
      id = g->stack[g->depth];
    }
    return gp_switch(g, id, SEC_UNKNOWN);
  }
  if (kinds & (KW_INTEL | KW_ATT)) g->intel = kinds & KW_INTEL;
  if (kinds & KW_MACRO) g->macro_depth++;
  if (kinds & KW_ENDMACRO && g->macro_depth > 0) g->macro_depth--;
  if (kinds & KW_ANNOUNCE) return gp_announce(g);
  if (kinds & KW_TYPE) return gp_type(g);
  gp_skip(g, gp_next(g));
  return 1;
}

// The operand of a call or jump: a name makes the event; anything through a
// register or memory ("*", or a name before parentheses) does not, but for
// the slot of a function (gnu_slot).
int gp_target(gnu_reader *g, precise_event_kind kind) {
  precise_lexer *lx = &g->lx;
  const isa_desc &isa = gp_isa(g);
  int c = gp_next(g);
  if (!gp_symbol_start(c) && !isa.target_last) return gnu_slot(g, kind, c, false);
  // Where the target comes last, registers and immediates go before it
  // ("jal ra, f", "cbz x0, f"); a register alone is an indirect operand.
  for (;;) {
    if (c != 0 && c == isa.immediate_mark) {
      gp_pass(g, CH_GNU_NAME);
    } else if (!gp_symbol_start(c)) {
      return gp_skip(g, c), 1;
    } else {
      if (!gp_read(g, c)) return 0;
      if (!isa.target_last ||
          !isa_set_keys[g->set.isa].find(lx->word.w_text, lx->word.w_len, KW_REGISTER)) {
        break;
      }
    }
    c = gp_next(g);
    if (c != ',') return gp_skip(g, c), 1;
    c = gp_next(g);
  }
  // In Intel syntax a register or a size word ("QWORD PTR [...]") says
  // that the call goes through a register or memory; with "@" after it
  // ("call byte@PLT") it is a function's name.
  uint32_t intel =
      g->intel && src_peek(lx->src) != '@' ? precise_keyword(lx->word, KW_SIZE | KW_REGISTER) : 0;
  // A call that only loads the program counter is no edge.
  bool thunk = kind == PE_CALL && isa_has_prefix(isa.pc_thunks, {lx->word.w_text, lx->word.w_len});
  if (intel & KW_SIZE) return gnu_slot(g, kind, 0, true);
  if (intel || thunk || gp_local(g, lx->word)) return gp_skip(g, gp_next(g)), 1;
  int64_t line = lx->line;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  gp_suffix(g);
  c = gp_next(g);
  if (c == '(' || c == '[') return gp_skip(g, c), 1;
  gp_skip(g, c);
  if (kind == PE_CALL) lx->pf.names[id].flags |= PN_CALLED;
  return precise_note(&lx->pf, kind, id, line);
}

// The end of a run of operand text that holds no name: punctuation,
// registers ("%rax") and numbers. Stops at the 0 after the data.
const unsigned char *gp_operand_run_end(const unsigned char *p) {
  for (;;) {
    if (gp_chars.is[*p] & GP_PUNCT) {
      ++p;
    } else if (*p == x86_64_isa.register_mark || (*p >= '0' && *p <= '9')) {
      do {
        ++p;
      } while (syntax_classes.cls[*p] & CH_GNU_NAME);
    } else {
      return p;
    }
  }
}

// True when a run that gp_operand_run_end took ends inside a register or a
// number rather than after punctuation.
bool gp_run_ends_in_token(std::string_view run) {
  bool in_token = false;
  for (char ch : run) {
    auto c = static_cast<unsigned char>(ch);
    if (in_token && (syntax_classes.cls[c] & CH_GNU_NAME)) continue;
    in_token = !(gp_chars.is[c] & GP_PUNCT);
  }
  return in_token;
}

// Operands of any other instruction: names of known data are references.
int gp_operands(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  for (;;) {
    // A register or number that the buffer's end cuts off goes on after the
    // refill: its rest is no name.
    bool cut = false;
    do {
      if (cut) {
        src_take_run(lx->src, [](const unsigned char *p) {
          while (syntax_classes.cls[*p] & CH_GNU_NAME)
            ++p;
          return p;
        });
        cut = src_drained(lx->src);
      }
      if (!cut) {
        std::string_view run = src_take_run(lx->src, gp_operand_run_end);
        cut = src_drained(lx->src) && gp_run_ends_in_token(run);
      }
    } while (src_drained(lx->src) && src_fill(lx->src));
    int c = gp_next(g);
    if (gp_end(c)) return 1;
    if (c == x86_64_isa.register_mark) {
      gp_pass(g, CH_GNU_NAME);  // a register the buffer's end cut off
    } else if (gp_name_start(c)) {
      if (!gp_read(g, c)) return 0;
      if (g->set.pending) {
        isa_first_operand(&g->set, {lx->word.w_text, lx->word.w_len}, false);
        gp_settle(g);
      }
      int64_t line = lx->line;
      if (gp_isa(g).colon_relocs && gp_colon(g)) continue;  // ":lo12:" names no symbol
      gp_suffix(g);
      // Registers without a mark (Intel syntax, other sets) name nothing.
      bool reg = (g->intel || &gp_isa(g) != &x86_64_isa) &&
                 (isa_set_keys[g->set.isa].find(lx->word.w_text, lx->word.w_len, KW_REGISTER) ||
                  precise_keyword(lx->word, KW_SIZE));
      if (!reg && !gp_local(g, lx->word) &&
          !precise_operand(&lx->pf, lx->word.w_text, lx->word.w_len, line)) {
        return 0;
      }
    } else if (c == '"' || c == '\'') {
      gp_quoted(g, c);
    }
  }
}

// Watches for the set in a file that has not shown it yet: the mnemonic
// just read, and a marked register ("%rbp") first among its operands.
// Returns 0 when the statement ended, -1 when memory ran out.
int gp_watch(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  isa_mnemonic(&g->set, {lx->word.w_text, lx->word.w_len});
  gp_settle(g);
  if (!(g->set.pending & 1)) return 1;
  int c = gp_next(g);
  if (gp_end(c)) return 0;
  if (c != x86_64_isa.register_mark) {
    // A "/" that began no comment was read ahead of the byte after it, which
    // may lie in a new buffer: it begins no name, and stays read then.
    if (lx->src->pos > 0 && lx->src->buf[lx->src->pos - 1] == c) src_unget(lx->src);
    return 1;
  }
  c = src_get(lx->src);
  if (!gp_name_start(c)) return gp_skip(g, c), 0;
  if (!gp_read(g, c)) return -1;
  isa_first_operand(&g->set, {lx->word.w_text, lx->word.w_len}, true);
  gp_settle(g);
  return 1;
}

int gp_instruction(gnu_reader *g);

// A call or jump of another set than the file's. In a file that has not
// shown its set it is read as that of the first set that has it (and the
// file is still warned of at its end); otherwise it is warned of.
int gp_foreign(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  std::string_view word(lx->word.w_text, lx->word.w_len);
  if (g->set.decided) {
    scan_warn(&lx->warnings, scan_warning::unknown_call, word);
    return gp_operands(g);
  }
  uint32_t was = g->set.isa;
  isa_borrow(&g->set, word);
  int ok = gp_instruction(g);
  if (!g->set.decided) g->set.isa = was;
  return ok;
}

int gp_instruction(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  const isa_keys &keys = isa_set_keys[g->set.isa];
  uint32_t kinds;
  while ((kinds = keys.find(lx->word.w_text, lx->word.w_len,
                            KW_PREFIX | KW_CALL | KW_JUMP | ISA_FOREIGN)) &
         KW_PREFIX) {
    int c = gp_next(g);
    if (!gp_name_start(c)) return gp_skip(g, c), 1;
    if (!gp_read(g, c)) return 0;
  }
  if (kinds & (KW_CALL | KW_JUMP)) {
    g->set.branches++;
    return gp_target(g, kinds & KW_CALL ? PE_CALL : PE_JUMP);
  }
  if (kinds == ISA_FOREIGN) return gp_foreign(g);
  if (!g->set.decided) {
    int go = gp_watch(g);
    if (go <= 0) return go + 1;
  }
  return gp_operands(g);
}

// One statement from its first character `c` through its end: labels, then
// a directive or an instruction. 0 when memory ran out.
int gp_statement(gnu_reader *g, int c) {
  precise_lexer *lx = &g->lx;
  if (g->macro_depth > 0) {
    // A macro's body: only its end (or a macro inside it) counts.
    if (c != '.') return gp_skip(g, c), 1;
    if (!gp_read(g, c)) return 0;
    return gp_directive(g);
  }
  for (;;) {
    if (c >= '0' && c <= '9') {
      // A numeric label, 1: (local), or nothing to read.
      gp_pass(g, CH_GNU_NAME);
      c = src_get(lx->src);
      if (c != ':') {
        if (c != SRC_EOF) src_unget(lx->src);
        return gp_skip(g, gp_next(g)), 1;
      }
    } else if (gp_symbol_start(c)) {
      if (!gp_read(g, c)) return 0;
      c = src_get(lx->src);
      if (c != ':') {
        if (c != SRC_EOF) src_unget(lx->src);
        break;
      }
      if (!gp_local(g, lx->word)) {
        uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
        if (id == PRECISE_NONE || !precise_label(&lx->pf, id, lx->line)) return 0;
      }
    } else {
      return gp_skip(g, c), 1;
    }
    c = gp_next(g);
    if (gp_end(c)) return 1;
  }
  if (lx->word.w_text[0] == '.') return gp_directive(g);
  int set = gnu_equals(g);  // `a = b`
  return set >= 0 ? set : gp_instruction(g);
}

// The warnings of a file read to its end: no set shown where instructions
// were read but no call or jump of the set taken for the file.
void gp_warn_at_end(gnu_reader *g) {
  isa_pick &p = g->set;
  scan_warnings &ws = g->lx.warnings;
  if (!p.decided && !p.chosen && p.instructions != 0 && (p.branches == 0 || p.borrowed[0])) {
    scan_warn(&ws, scan_warning::no_isa, p.first);
    return;
  }
  // A call read as another set's before the file showed its own, which
  // turned out not to have it.
  std::string_view borrowed(p.borrowed);
  if (p.borrowed[0] &&
      !isa_set_keys[p.isa].find(borrowed.data(), borrowed.size(), KW_CALL | KW_JUMP)) {
    scan_warn(&ws, scan_warning::unknown_call, borrowed);
  }
}
}  // namespace

int scan_isa_by_name(const char *name) {
  return isa_by_name(name);
}

scan_result scan_gnu_precise(const lex_chars *chars, scan_run *run, scan_source *src,
                             const char *file) {
  return scan_gnu_precise_as(chars, run, src, file, -1);
}

scan_result scan_gnu_precise_as(const lex_chars *chars, scan_run *run, scan_source *src,
                                const char *file, int isa) {
  gnu_reader g;
  if (!gp_begin(&g, chars, run, src, file)) return scan_result{scan_status::nomem, 1};
  if (isa >= 0) {
    g.set.isa = static_cast<uint32_t>(isa);
    g.set.chosen = true;
    gp_settle(&g);
  }
  int ok = 1;
  for (int c = gp_next_line(&g); c != SRC_EOF; c = gp_next_line(&g)) {
    if (c == '\n' || c == ';') continue;  // a comment's line, or an empty statement
    if (!gp_statement(&g, c)) {
      ok = precise_nomem(&g.lx.pf, g.lx.line);
      break;
    }
  }
  if (ok) gp_warn_at_end(&g);
  // Mach-O's compiler output has no label in code that is not a symbol.
  g.lx.pf.lead_underscore = g.set.macho;
  if (ok) ok = precise_finish(&g.lx.pf, !g.set.macho);
  scan_result result = precise_result(&g.lx, ok);
  precise_lexer_end(&g.lx);
  return result;
}
