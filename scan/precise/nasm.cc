// The precise reading of NASM syntax (-p): one statement a line (a backslash
// at its end continues it), comments from ";", names with NASM's own
// characters, labels only at the start of a line, sections with their
// attributes, and the operand of every call and jump.
//
// Every label in code that is not local is a routine, so the function that
// owns a call is known when the call is read, and the graph grows as the
// file is read. Only a jump to a name that the file has not defined yet must
// wait for the end of the file: it is a tail call unless a label that is no
// routine takes that name.
#include <cstring>
#include <utility>

#include "memory/memory.h"
#include "scan/lex/keys.h"
#include "scan/precise/nasm_ops.h"
#include "scan/precise/reader.h"

namespace {
// A jump that waits for the end of the file.
struct np_pending {
  sym_id owner;
  uint32_t target;  // the name, as the table holds it
  int64_t line;
};

struct nasm_reader {
  precise_lexer lx;
  scan_word spare;          // the first word of a line while the second is read
  uint32_t outside;         // the section that a struc interrupts
  int64_t macro_depth;      // inside %macro ... %endmacro: templates, not code
  sym_id owner = SYM_NONE;  // the function whose code is being read, if any
  np_pending *jumps;
  size_t njumps;
  size_t jumps_cap;
};

// Notes that memory ran out on the current line; returns 0.
int np_fail(nasm_reader *r) {
  return precise_nomem(&r->lx.pf, r->lx.line);
}

// What the first word of a statement can be.
const uint32_t NP_STATEMENT_KINDS =
    KW_DATA | KW_SECTION | KW_STRUC | KW_ENDSTRUC | KW_DIRECTIVE | KW_CGLOBAL | KW_CALL | KW_JUMP;

bool np_name_start(int c) {
  return c != SRC_EOF && (syntax_classes.cls[c] & CH_NASM_START);
}

// Local labels begin with one full stop; "..@x" and "..start" are not.
bool np_local(const scan_word &word) {
  return word.w_text[0] == '.' && word.w_text[1] != '.';
}

// `main.loop` is the local label `.loop` of `main`, named from outside it
// (unless what follows the full stop is a compiler clone's suffix).
bool np_qualified_local(const scan_word &word) {
  const void *dot = std::memchr(word.w_text + 1, '.', word.w_len - 1);
  return dot != nullptr && precise_base_length(word.w_text, word.w_len) == word.w_len;
}

// After a "%" in an operand: a register written so ("%rax") is GNU syntax.
void np_gnu_register(nasm_reader *r) {
  precise_lexer *lx = &r->lx;
  std::string_view run = src_take_run(lx->src, [](const unsigned char *p) {
    while (syntax_classes.cls[*p] & CH_NASM_NAME)
      ++p;
    return p;
  });
  if (lex_list_has("rax rbx rcx rdx rsi rdi rsp rbp rip eax ebx ecx edx esi edi esp ebp", run)) {
    char detail[8] = "%";
    std::memcpy(detail + 1, run.data(), run.size());
    scan_warn(&lx->warnings, scan_warning::gnu_as_nasm, {detail, run.size() + 1});
  }
}

bool np_end(int c) {
  return c == '\n' || c == SRC_EOF;
}

// Consumes a comment after its ";" and the newline that ends it; a backslash
// right before the newline carries it on. Returns '\n' or SRC_EOF.
int np_comment(nasm_reader *r) {
  scan_source *src = r->lx.src;
  int prev = 0;  // the byte before the newline, which a refill may have moved out
  for (;;) {
    const unsigned char *p = src->buf + src->pos;
    size_t left = src->len - src->pos;
    const auto *nl = static_cast<const unsigned char *>(std::memchr(p, '\n', left));
    if (nl == nullptr) {
      if (left > 0) prev = p[left - 1];
      src->pos = src->len;
      if (!src_fill(src)) return SRC_EOF;
      continue;
    }
    if (nl > p) prev = nl[-1];
    src->pos = static_cast<size_t>(nl - src->buf) + 1;
    r->lx.line++;
    if (prev != '\\') return '\n';
    prev = '\n';
  }
}

// The bytes that np_next hands back as they are: all but blanks, newlines,
// ";", the backslash and 0 (which may be the end of the data).
constexpr struct np_plain_bytes {
  bool is[256] = {};
  constexpr np_plain_bytes() {
    for (int c = 1; c < 256; ++c)
      is[c] = c != ' ' && (c < '\t' || c > '\r') && c != ';' && c != '\\';
  }
} np_plain;

// The next character of the statement that means something: blanks,
// comments and continued lines are passed over; the end of the line (counted)
// comes back as '\n'.
[[gnu::noinline]] int np_next_slow(nasm_reader *r) {
  scan_source *src = r->lx.src;
  for (;;) {
    int c = precise_skip_blanks(&r->lx);
    switch (c) {
      case '\n':
        r->lx.line++;
        return c;
      case ';':
        return np_comment(r);
      case '\\': {
        int d = src_get(src);
        if (d == '\n') {
          r->lx.line++;
          continue;
        }
        if (d != SRC_EOF) src_unget(src);
        return c;
      }
      default:
        return c;
    }
  }
}

// The same, quick in the common cases.
inline int np_next(nasm_reader *r) {
  return precise_next(&r->lx, np_plain.is, false, [r] { return np_next_slow(r); });
}

// np_next at the start of a line, or where a statement ended.
int np_next_line(nasm_reader *r) {
  return precise_next_line(&r->lx, np_plain.is, [r] { return np_next(r); });
}

// Consumes a string after its opening quote: backquoted ones know backslash
// escapes, none runs past the end of its line.
void np_quoted(nasm_reader *r, int quote) {
  scan_source *src = r->lx.src;
  for (int c = src_get(src); c != SRC_EOF && c != quote; c = src_get(src)) {
    if (c == '\n') {
      src_unget(src);
      return;
    }
    if (c == '\\' && quote == '`') {
      c = src_get(src);
      if (c == SRC_EOF) return;
      if (c == '\n') r->lx.line++;
    }
  }
}

void np_pass(nasm_reader *r) {
  precise_pass(&r->lx, syntax_classes.cls, CH_NASM_NAME);
}

// Consumes the rest of the line from `c` on.
void np_skip(nasm_reader *r, int c) {
  for (; !np_end(c); c = np_next(r)) {
    if (c == '"' || c == '\'' || c == '`') np_quoted(r, c);
    nasm_pass_skipped(r->lx.src);
  }
}

// Reads a name that begins with `c`, or with the character after a "$" that
// marks a name which would otherwise be a keyword. Returns 1 with the name in
// lx->word, 0 when memory ran out, -1 when `c` begins no name (it is then
// the character in *c).
int np_name(nasm_reader *r, int *c) {
  if (*c == '$') {
    int d = src_get(r->lx.src);
    if (!np_name_start(d)) {
      if (d != SRC_EOF) src_unget(r->lx.src);
      return -1;
    }
    *c = d;
  }
  if (!np_name_start(*c)) return -1;
  return precise_read_name(&r->lx, *c, CH_NASM_NAME) ? 1 : np_fail(r);
}

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
    return precise_define_data(pf, name.data(), line) != SYM_NONE || precise_nomem(pf, line);
  }
  r->owner = precise_define_now(pf, name.data(), line);
  return r->owner != SYM_NONE || precise_nomem(pf, line);
}

// Operands from `c` on: names of known data are references.
int np_operands(nasm_reader *r, int c) {
  precise_lexer *lx = &r->lx;
  for (; !np_end(c); c = np_next(r)) {
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named > 0) {
      if (r->owner != SYM_NONE && !np_local(lx->word) &&
          !precise_reference(&lx->pf, r->owner, lx->word.w_text, lx->word.w_len, lx->line)) {
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

// A jump to `name`, as users know it, from the current routine: a tail call
// to a function, none to the routine itself or to any other label. Returns
// 1, or 0 after a failure (noted).
int np_jump(nasm_reader *r, std::string_view name, int64_t line) {
  precise_file *pf = &r->lx.pf;
  if (name == sym_name(pf->graph, graph_sym(pf->graph, r->owner))) return 1;
  sym_id known = sym_lookup(pf->graph, name.data()).id;
  if (known != SYM_NONE) {
    if (!graph_sym(pf->graph, known).s_func) return 1;
    return precise_status(pf, scan_charge(pf->graph, r->owner, known), line);
  }
  uint32_t id = precise_intern(pf, name.data(), name.size());
  if (id == PRECISE_NONE) return np_fail(r);
  if (pf->names[id].flags & PN_LABEL) return 1;
  if (r->njumps == r->jumps_cap) {
    size_t cap = r->jumps_cap ? 2 * r->jumps_cap : 16;
    auto *jumps = static_cast<np_pending *>(mem_realloc(r->jumps, cap * sizeof(np_pending)));
    if (jumps == nullptr) return np_fail(r);
    r->jumps = jumps;
    r->jumps_cap = cap;
  }
  r->jumps[r->njumps++] = np_pending{r->owner, id, line};
  return 1;
}

// The end of the file: the jumps to names that were still unknown.
int np_finish(nasm_reader *r) {
  precise_file *pf = &r->lx.pf;
  for (size_t i = 0; i < r->njumps; ++i) {
    const np_pending &j = r->jumps[i];
    const precise_name &n = pf->names[j.target];
    if (n.flags & PN_LABEL) continue;
    sym_result found = sym_find_or_declare(pf->graph, n.text, n.len, pf->file);
    if (!found.ok()) return precise_nomem(pf, j.line);
    sym_id target = found.id;
    if (!graph_sym(pf->graph, target).s_func) continue;
    if (!precise_status(pf, scan_charge(pf->graph, j.owner, target), j.line)) return 0;
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
    named = np_name(r, &c);
    if (named <= 0 || !(precise_keyword(lx->word, KW_SIZE | KW_REGISTER) ||
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
      return np_slot(r, [r, kind, line](std::string_view name) {
        return kind == PE_CALL ? precise_call(&r->lx.pf, r->owner, name, line)
                               : np_jump(r, name, line);
      });
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
  int ok = kind == PE_CALL ? precise_call(&lx->pf, r->owner, name, line) : np_jump(r, name, line);
  np_skip(r, np_next(r));
  return ok;
}

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

// A directive that begins a line (bare or in brackets). Returns 1 when the
// word was one and its line has been consumed, 0 after a failure (noted), -1 when
// the word is no directive.
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
    std::string_view name = precise_canon_text(&lx->pf, lx->word.w_text, lx->word.w_len);
    if (name.data() == nullptr) return np_fail(r);
    r->owner = precise_define_now(&lx->pf, name.data(), lx->line);
    if (r->owner == SYM_NONE) return np_fail(r);
    np_skip(r, np_next(r));
    return 1;
  }
  if (kinds & KW_DIRECTIVE) return np_skip(r, np_next(r)), 1;
  return -1;
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
}  // namespace

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
  if (ok) ok = np_finish(&r);
  scan_result result = precise_result(&r.lx, ok);
  precise_lexer_end(&r.lx);
  mem_free(r.spare.w_text);
  mem_free(r.jumps);
  return result;
}
