// The precise reading of NASM syntax (-p): one statement a line (a backslash
// at its end continues it), comments from ";", names with NASM's own
// characters, labels only at the start of a line, sections with their
// attributes, and the operand of every call and jump.
//
// Every label in code that is not local is a routine, so the function that
// owns a call is known when the call is read, and the graph grows as the
// file is read. A routine that the file does not share (global, extern,
// common) is its own record, which only the file's calls reach. A call or
// jump to a name that the file has not yet said what it is waits for the
// end of the file, and so do the later ones of the same routine, to keep
// their order: it reaches the file's own routine of that name, or else the
// name shared by all files; a jump is a tail call unless a label that is no
// routine takes that name.
#include <cstring>
#include <utility>

#include "memory/memory.h"
#include "scan/lex/keys.h"
#include "scan/precise/nasm_ops.h"
#include "scan/precise/nasm_reader.h"

sym_id np_define(nasm_reader *r, std::string_view name, int64_t line) {
  precise_file *pf = &r->lx.pf;
  uint32_t id = precise_intern(pf, name.data(), name.size());
  if (id == PRECISE_NONE) return SYM_NONE;
  precise_name &n = pf->names[id];
  if (n.flags & PN_LOCAL_FUNC) return n.sym;  // a clone (f.cold) after its function
  if (n.flags & PN_GLOBAL) return precise_define_now(pf, n.text, line);
  sym_result made = sym_add_local(pf->graph, true, name, pf->file, line);
  if (!made.ok()) return SYM_NONE;
  n.flags |= PN_LOCAL_FUNC;
  n.sym = made.id;
  pf->functions = 1;
  return made.id;
}

namespace {
// `main.loop` is the local label `.loop` of `main`, named from outside it
// (unless what follows the full stop is a compiler clone's suffix).
bool np_qualified_local(const scan_word &word) {
  const void *dot = std::memchr(word.w_text + 1, '.', word.w_len - 1);
  return dot != nullptr && precise_base_length(word.w_text, word.w_len) == word.w_len;
}

// A label that is not local: in code a routine, unless data follows it; in
// a data section a data label. Returns 1, or 0 after a failure, noted on
// the label's own line (the reader may be on the next one by now).
int np_label(nasm_reader *r, const scan_word &word, int64_t line, bool data_only) {
  precise_file *pf = &r->lx.pf;
  if (np_local(word) || pf->sec_kind == SEC_NONE) return 1;
  if (pf->sec_kind == SEC_CODE && data_only) {
    // Data in code: neither routine nor data label, but a jump to it is
    // no tail call.
    uint32_t id = precise_intern(pf, word.w_text, word.w_len);
    if (id == PRECISE_NONE) return precise_nomem(pf, line);
    pf->names[id].flags |= PN_LABEL;
    return 1;
  }
  std::string_view name = precise_canon_text(pf, word.w_text, word.w_len);
  if (name.data() == nullptr) return precise_nomem(pf, line);
  if (pf->sec_kind == SEC_DATA) {
    // Data that the file does not share is its own, as a routine is.
    uint32_t id = precise_intern(pf, name.data(), name.size());
    if (id == PRECISE_NONE) return precise_nomem(pf, line);
    sym_id made = pf->names[id].flags & PN_GLOBAL ? precise_define_data(pf, name.data(), line)
                                                  : precise_define_own_data(pf, id, line);
    return made != SYM_NONE || precise_nomem(pf, line);
  }
  r->owner = np_define(r, name, line);
  return r->owner != SYM_NONE || precise_nomem(pf, line);
}

// Operands from `c` on: names of known data are references.
int np_operands(nasm_reader *r, int c) {
  precise_lexer *lx = &r->lx;
  for (; !np_end(c); c = np_next(r)) {
    bool escaped = c == '$';  // a name whatever it spells, a register's even
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named > 0) {
      const scan_word &w = lx->word;
      if (r->owner != SYM_NONE && !np_local(w) &&
          !(escaped
                ? precise_reference_name(&lx->pf, r->owner, w.w_text, w.w_len, lx->line, nullptr)
                : precise_reference(&lx->pf, r->owner, w.w_text, w.w_len, lx->line))) {
        return 0;
      }
    } else if ((c >= '0' && c <= '9') || c == '%') {
      if (c == '%') np_gnu_register(r);
      np_pass(r);  // a number, a macro parameter or a macro-local name
    } else if (c == '"' || c == '\'' || c == '`') {
      np_quoted(r, c);
    }
    if (!nasm_plain_operands(&r->lx, r->owner)) return 0;
  }
  return 1;
}

// A call or jump of `owner` to the name `id` (as users know it) on `line`: a
// tail call to a function, none to the routine itself or to any other
// label. Before the end of the file (`at_end` false) a jump to a name the
// graph does not know yet is left undecided: -1. Returns 1, or 0 after a
// failure (noted).
int np_resolve(nasm_reader *r, sym_id owner, uint32_t id, precise_event_kind kind, int64_t line,
               bool at_end) {
  precise_file *pf = &r->lx.pf;
  const precise_name &n = pf->names[id];
  if (n.flags & PN_LOCAL_FUNC) {
    if (kind == PE_JUMP && n.sym == owner) return 1;
    return precise_status(pf, scan_charge(pf->graph, owner, n.sym), line);
  }
  std::string_view name(n.text, n.len);
  if (kind == PE_CALL) return precise_call(pf, owner, name, line);
  if ((n.flags & PN_LABEL) || name == sym_name(pf->graph, graph_sym(pf->graph, owner))) return 1;
  sym_id target = sym_lookup(pf->graph, n.text).id;
  if (target == SYM_NONE) {
    if (!at_end) return -1;
    sym_result found = sym_find_or_declare(pf->graph, n.text, n.len, pf->file);
    if (!found.ok()) return precise_nomem(pf, line);
    target = found.id;
  }
  if (!graph_sym(pf->graph, target).s_func) return 1;
  return precise_status(pf, scan_charge(pf->graph, owner, target), line);
}

// A call or jump to `name`, as users know it, from the current routine:
// charged now when the file has said what the name is, else at the end of
// the file, with every later one of the routine. Returns 1, or 0 after a
// failure (noted).
int np_charge(nasm_reader *r, precise_event_kind kind, std::string_view name, int64_t line) {
  precise_file *pf = &r->lx.pf;
  uint32_t id = precise_intern(pf, name.data(), name.size());
  if (id == PRECISE_NONE) return np_fail(r);
  if (r->deferring != r->owner && (pf->names[id].flags & (PN_LOCAL_FUNC | PN_GLOBAL))) {
    int done = np_resolve(r, r->owner, id, kind, line, false);
    if (done >= 0) return done;
  }
  if (!mem_reserve(&r->pending, &r->pending_cap, uint64_t{r->npending} + 1, UINT64_MAX))
    return np_fail(r);
  r->pending[r->npending++] = np_pending{r->owner, id, kind == PE_CALL, line};
  r->deferring = r->owner;
  return 1;
}

// The end of the file: the calls and jumps that waited for it, in order.
int np_finish(nasm_reader *r) {
  for (size_t i = 0; i < r->npending; ++i) {
    const np_pending &p = r->pending[i];
    if (!np_resolve(r, p.owner, p.target, p.call ? PE_CALL : PE_JUMP, p.line, true)) return 0;
  }
  return 1;
}

// Calls `edge(name)` for the function, as users know it, whose slot the
// memory operand after "[" names: `[rel f wrt ..got]` or `[rel __imp_f]`,
// filled by the linker or loader. Returns 1, or 0 after a failure (noted).
template <class Edge>
int np_slot(nasm_reader *r, Edge edge) {
  precise_lexer *lx = &r->lx;
  int c = np_next(r);
  int named;
  for (;; c = np_next(r)) {
    if (c == '+') continue;
    bool escaped = c == '$';
    named = np_name(r, &c);
    if (named <= 0 || escaped ||
        !(precise_keyword(lx->word, KW_SIZE | KW_REGISTER) ||
          lex_list_has("rel abs rip eip", {lx->word.w_text, lx->word.w_len}))) {
      break;
    }
  }
  if (named <= 0 || r->owner == SYM_NONE || np_local(lx->word)) {
    if (named != 0) np_skip(r, named < 0 ? c : np_next(r));
    return named != 0;
  }
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return np_fail(r);
  c = np_next(r);
  bool got = (named = np_name(r, &c)) > 0 && std::strcmp(lx->word.w_text, "wrt") == 0 &&
             (c = np_next(r), named = np_name(r, &c)) > 0 &&
             lex_list_has("..got ..gotpcrel", {lx->word.w_text, lx->word.w_len});
  if (named == 0) return 0;
  np_skip(r, named < 0 ? c : np_next(r));
  const precise_name &n = lx->pf.names[id];
  std::string_view f = precise_slot_function(n.text, n.len, got);
  if (f.empty()) return 1;
  std::string_view name = precise_canon_text(&lx->pf, f.data(), f.size());
  return name.data() == nullptr ? np_fail(r) : edge(name);
}

// The operand of a call or jump, after any size or distance words.
int np_target(nasm_reader *r, precise_event_kind kind) {
  precise_lexer *lx = &r->lx;
  int c = np_next(r);
  for (;;) {
    if (c == '[') {
      int64_t line = lx->line;
      return np_slot(
          r, [r, kind, line](std::string_view name) { return np_charge(r, kind, name, line); });
    }
    bool escaped = c == '$';
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) return np_skip(r, c), 1;  // memory, a number, "$"
    uint32_t kinds = escaped ? 0 : precise_keyword(lx->word, KW_SIZE | KW_REGISTER);
    if (kinds & KW_SIZE) {
      c = np_next(r);
      continue;
    }
    if ((kinds & KW_REGISTER) || np_local(lx->word) || np_qualified_local(lx->word)) {
      return np_skip(r, np_next(r)), 1;
    }
    break;
  }
  int64_t line = lx->line;
  if (r->owner == SYM_NONE) return np_skip(r, np_next(r)), 1;  // nobody's call
  std::string_view name = precise_canon_text(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (name.data() == nullptr) return np_fail(r);
  int ok = np_charge(r, kind, name, line);
  np_skip(r, np_next(r));
  return ok;
}

// The commonest statement, read straight from the buffer: an instruction
// that is no keyword and no label, whose first operand is a register (or
// none). Returns -1, having consumed nothing, for any other statement.
int np_quick_statement(nasm_reader *r, int c) {
  scan_source *src = r->lx.src;
  const unsigned char *cls = syntax_classes.cls;
  // `c` was the byte before the current one; a name at "." may be a GNU
  // directive, one after "$" is escaped.
  if (c == SRC_EOF || c == '.' || !(cls[c] & CH_NASM_START) || src->pos == 0 ||
      src->buf[src->pos - 1] != c) {
    return -1;
  }
  const unsigned char *end = src->buf + src->len;
  const unsigned char *start = src->buf + src->pos - 1;
  const unsigned char *q = start + 1;
  while (cls[*q] & CH_NASM_NAME)
    ++q;
  auto len = static_cast<size_t>(q - start);
  if (q == end || *q == ':') return -1;
  uint32_t kinds = precise_keyword_at(start, len, NP_STATEMENT_KINDS);
  if (kinds != 0) {
    // Calls and jumps that are nothing else; directives and data words
    // take the long way.
    if (kinds & ~(KW_CALL | KW_JUMP)) return -1;
    src->pos = static_cast<size_t>(q - src->buf);
    return np_target(r, kinds & KW_CALL ? PE_CALL : PE_JUMP);
  }
  while (cls[*q] & CH_ASM_BLANK)
    ++q;
  // What comes after a continued line or the next read may be a second word.
  if (*q == '\\' || q == end) return -1;
  // A first word without a colon is a label only when data follows it;
  // a register never begins data.
  if (cls[*q] & CH_NASM_START) {
    const unsigned char *second = q;
    do {
      ++q;
    } while (cls[*q] & CH_NASM_NAME);
    len = static_cast<size_t>(q - second);
    if (q == end ||
        !precise_known_absent(&r->lx.pf, reinterpret_cast<const char *>(second), len, SYM_NONE))
      return -1;
  }
  src->pos = static_cast<size_t>(q - src->buf);
  return np_operands(r, np_next(r));
}
}  // namespace

// A statement from its first character `c`: labels, then a directive or an
// instruction with its operands.
int np_statement(nasm_reader *r, int c) {
  precise_lexer *lx = &r->lx;
  int quick = np_quick_statement(r, c);
  if (quick >= 0) return quick;
  bool first = true;       // the first word of the line
  bool labelled = false;   // a label with a colon, kept in r->spare, waits
  int64_t label_line = 0;  // for what follows it
  bool escaped;
  for (;;) {
    escaped = c == '$';
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) {
      if (labelled && !np_label(r, r->spare, label_line, false)) return 0;
      return np_operands(r, c);
    }
    int d = src_get(lx->src);
    if (d != ':' || !first) {
      if (d != SRC_EOF) src_unget(lx->src);
      break;
    }
    first = false;
    if (!np_local(lx->word)) {
      std::swap(lx->word, r->spare);
      labelled = true;
      label_line = lx->line;
    }
    c = np_next(r);
    if (np_end(c)) return !labelled || np_label(r, r->spare, label_line, false);
  }
  uint32_t kinds = escaped ? 0 : precise_keyword(lx->word, NP_STATEMENT_KINDS);
  if (first && lx->word.w_text[0] == '.' && nasm_gnu_directive(lx->word)) {
    scan_warn(&lx->warnings, scan_warning::gnu_as_nasm, lx->word.w_text);
  }
  bool data = kinds & KW_DATA;
  if (labelled && !np_label(r, r->spare, label_line, data)) return 0;
  if (first && kinds) {
    int done = np_directive(r, kinds);
    if (done >= 0) return done;
  }
  if (kinds & KW_CALL) return np_target(r, PE_CALL);
  if (kinds & KW_JUMP) return np_target(r, PE_JUMP);
  if (data || !first) return np_operands(r, np_next(r));
  // The first word of the line with no colon: a label only when data follows.
  c = np_next(r);
  if (!np_name_start(c)) return np_operands(r, c);
  std::swap(lx->word, r->spare);
  if (!precise_read_name(lx, c, CH_NASM_NAME)) return np_fail(r);
  // A register names neither data nor a data pseudo-instruction.
  if (precise_known_absent(&lx->pf, lx->word.w_text, lx->word.w_len, SYM_NONE))
    return np_operands(r, np_next(r));
  if (precise_keyword(lx->word, KW_DATA))
    return np_label(r, r->spare, lx->line, true) && np_operands(r, np_next(r));
  if (r->owner != SYM_NONE && !np_local(lx->word) &&
      !precise_reference(&lx->pf, r->owner, lx->word.w_text, lx->word.w_len, lx->line)) {
    return 0;
  }
  return np_operands(r, np_next(r));
}

scan_result scan_nasm_precise(const lex_chars *chars, scan_run *run, scan_source *src,
                              const char *file) {
  nasm_reader r{};
  if (!precise_lexer_begin(&r.lx, chars, run, src, file)) return scan_result{scan_status::nomem, 1};
  r.outside = r.lx.pf.section;
  int ok = 1;
  for (int c = np_next_line(&r); ok && c != SRC_EOF; c = np_next_line(&r)) {
    if (c == '\n') continue;  // a comment's line
    if (c == '%') {
      ok = np_percent(&r);
    } else if (r.macro_depth > 0) {
      np_skip(&r, c);
    } else if (c == '[') {
      // [section .text], [bits 64]: the same directives in brackets.
      c = np_next(&r);
      int named = np_name(&r, &c);
      if (named > 0) {
        int done = np_directive(&r, precise_keyword(r.lx.word, NP_STATEMENT_KINDS));
        if (done < 0) np_skip(&r, np_next(&r));
        ok = done != 0;
      } else {
        ok = named < 0;
        if (ok) np_skip(&r, c);
      }
    } else {
      ok = np_statement(&r, c);
    }
  }
  if (ok) ok = np_finish(&r) && precise_settle_file(&r.lx.pf, r.lx.line);
  scan_result result = precise_result(&r.lx, ok);
  precise_lexer_end(&r.lx);
  mem_free(r.spare.w_text);
  mem_free(r.pending);
  return result;
}
