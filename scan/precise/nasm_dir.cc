// The directives of the precise NASM reader (-p): sections, strucs, the
// names a file shares with others, the cglobal macro, and the
// preprocessor's lines.
#include "scan/precise/nasm_reader.h"

// Makes a section current, with its kind and with the function that owned
// its code when the file last left it: each section's table entry keeps its
// owner, so a switch costs the same however many sections the file has.
void np_switch(nasm_reader *r, uint32_t id, precise_section_kind kind) {
  precise_file *pf = &r->lx.pf;
  static_assert(SYM_NONE == PRECISE_NONE, "a new entry's owner is no function");
  if (pf->section != PRECISE_NONE) pf->names[pf->section].owner = r->owner;
  precise_enter(pf, id, kind);
  r->owner = id == PRECISE_NONE ? SYM_NONE : pf->names[id].owner;
}

namespace {
// section NAME [attributes]: code for .text and for anything declared exec.
int np_section(nasm_reader *r) {
  precise_lexer *lx = &r->lx;
  int c = np_next(r);
  if (!np_name_start(c)) return np_skip(r, c), 1;
  if (!precise_read_name(lx, c, CH_NASM_NAME)) return np_fail(r);
  const char *name = lx->word.w_text;
  precise_section_kind kind = SEC_UNKNOWN;
  if (precise_text_section(name)) kind = SEC_CODE;
  uint32_t id = precise_intern(&lx->pf, name, lx->word.w_len);
  if (id == PRECISE_NONE) return np_fail(r);
  for (c = np_next(r); !np_end(c); c = np_next(r)) {
    if (np_name_start(c)) {
      if (!precise_read_name(lx, c, CH_NASM_NAME)) return np_fail(r);
      uint32_t kinds = precise_keyword(lx->word, KW_EXEC | KW_NOEXEC);
      if (kinds & KW_EXEC) kind = SEC_CODE;
      if (kinds & KW_NOEXEC) kind = SEC_DATA;
    } else if (c == '"' || c == '\'' || c == '`') {
      np_quoted(r, c);
    }
  }
  np_switch(r, id, kind);
  return 1;
}

// The name as users know it of the name in lx->word, marked as one that all
// files share: a routine or data label of the file defined before is shared
// from now on.
// Returns 1, or 0 when memory ran out (noted).
int np_share(nasm_reader *r) {
  precise_lexer *lx = &r->lx;
  std::string_view name = precise_canon_text(&lx->pf, lx->word.w_text, lx->word.w_len);
  uint32_t id =
      name.data() == nullptr ? PRECISE_NONE : precise_intern(&lx->pf, name.data(), name.size());
  if (id == PRECISE_NONE) return np_fail(r);
  precise_name &n = lx->pf.names[id];
  n.flags |= PN_GLOBAL;
  return !(n.flags & (PN_LOCAL_FUNC | PN_LOCAL_DATA)) ||
         sym_make_global(lx->pf.graph, n.sym).ok() || np_fail(r);
}

// global, extern and common NAME[:type ...], ...: each name of the list is
// shared, whatever follows it up to the next comma.
int np_global(nasm_reader *r) {
  int c = np_next(r);
  for (;;) {
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) break;
    if (!np_local(r->lx.word) && !np_share(r)) return 0;
    for (c = np_next(r); !np_end(c) && c != ','; c = np_next(r)) {
      if (c == '"' || c == '\'' || c == '`') np_quoted(r, c);
    }
    if (c != ',') break;
    c = np_next(r);
  }
  np_skip(r, c);
  return 1;
}
}  // namespace

int np_directive(nasm_reader *r, uint32_t kinds) {
  precise_lexer *lx = &r->lx;
  if (kinds & KW_SECTION) return np_section(r);
  if (kinds & KW_STRUC) {
    // Its labels are offsets, neither code nor data; endstruc goes back.
    if (lx->pf.section != PRECISE_NONE) r->outside = lx->pf.section;
    np_skip(r, np_next(r));
    np_switch(r, PRECISE_NONE, SEC_NONE);
    return 1;
  }
  if (kinds & KW_ENDSTRUC) {
    np_skip(r, np_next(r));
    np_switch(r, r->outside, SEC_UNKNOWN);
    return 1;
  }
  if (kinds & KW_CGLOBAL) {
    // The codec projects' macro: cglobal NAME, ... begins the function NAME.
    int c = np_next(r);
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) return np_skip(r, c), 1;
    if (!np_share(r)) return 0;
    std::string_view name = precise_canon_text(&lx->pf, lx->word.w_text, lx->word.w_len);
    if (name.data() == nullptr) return np_fail(r);
    r->owner = np_define(r, name, lx->line);
    if (r->owner == SYM_NONE) return np_fail(r);
    np_skip(r, np_next(r));
    return 1;
  }
  if (kinds & KW_GLOBAL) return np_global(r);
  if (kinds & KW_DIRECTIVE) return np_skip(r, np_next(r)), 1;
  return -1;
}

// A line that begins with "%": a preprocessor directive, whose line is
// passed over (and whose macro bodies are templates, not code), or a
// macro-local label.
int np_percent(nasm_reader *r) {
  precise_lexer *lx = &r->lx;
  int c = src_get(lx->src);
  if (c == '%') {
    np_pass(r);
    c = src_get(lx->src);
    if (c != ':' && c != SRC_EOF) src_unget(lx->src);
    c = np_next(r);
    return r->macro_depth > 0 || np_end(c) ? (np_skip(r, c), 1) : np_statement(r, c);
  }
  if (c != SRC_EOF && (lx->chars->cls[c] & CH_WORD_START)) {
    if (!precise_read_name(lx, c, CH_NASM_NAME)) return np_fail(r);
    uint32_t kinds = precise_keyword(lx->word, KW_MACRO | KW_ENDMACRO);
    if (kinds & KW_MACRO) r->macro_depth++;
    if ((kinds & KW_ENDMACRO) && r->macro_depth > 0) r->macro_depth--;
  } else if (c != SRC_EOF) {
    src_unget(lx->src);
  }
  np_skip(r, np_next(r));
  return 1;
}
