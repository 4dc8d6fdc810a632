// The precise reading of NASM syntax (-p): one statement a line (a backslash
// at its end continues it), comments from ";", names with NASM's own
// characters, labels only at the start of a line, sections with their
// attributes, and the operand of every call and jump.
#include <cstring>
#include <utility>

#include "graph/memory.h"
#include "scan/precise.h"

namespace {
struct nasm_reader {
  precise_lexer lx;
  scan_word spare;      // the first word of a line while the second is read
  uint32_t outside;     // the section that a struc interrupts
  int64_t macro_depth;  // inside %macro ... %endmacro: templates, not code
};

const char *const np_data_words[] = {"db",   "dw",   "dd",    "dq",   "dt",     "do",   "dy",
                                     "dz",   "resb", "resw",  "resd", "resq",   "rest", "reso",
                                     "resy", "resz", "times", "equ",  "incbin", nullptr};

bool np_name_start(int c) {
  return c != SRC_EOF && (scan_char_class[c] & CH_NASM_START);
}

// Local labels begin with one full stop; "..@x" and "..start" are not.
bool np_local(const scan_word &word) {
  return word.w_text[0] == '.' && word.w_text[1] != '.';
}

bool np_end(int c) {
  return c == '\n' || c == SRC_EOF;
}

// Consumes a comment after its ";" and the newline that ends it; a backslash
// right before the newline carries it on. Returns '\n' or SRC_EOF.
int np_comment(nasm_reader *r) {
  scan_source *src = r->lx.src;
  int prev = 0;
  for (;;) {
    int c = src_get(src);
    if (c == SRC_EOF) return c;
    if (c == '\n') {
      r->lx.line++;
      if (prev != '\\') return c;
    }
    prev = c;
  }
}

// The next character of the statement that means something: blanks,
// comments and continued lines are passed over; the end of the line (counted)
// comes back as '\n'.
int np_next(nasm_reader *r) {
  scan_source *src = r->lx.src;
  for (;;) {
    int c = src_get(src);
    switch (c) {
      case ' ':
      case '\t':
      case '\r':
      case '\f':
      case '\v':
        continue;
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
  scan_source *src = r->lx.src;
  int c;
  while ((c = src_get(src)) != SRC_EOF && (scan_char_class[c] & CH_NASM_NAME)) {
  }
  if (c != SRC_EOF) src_unget(src);
}

// Consumes the rest of the line from `c` on.
void np_skip(nasm_reader *r, int c) {
  for (; !np_end(c); c = np_next(r)) {
    if (c == '"' || c == '\'' || c == '`') np_quoted(r, c);
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
  return precise_read_name(&r->lx, *c, CH_NASM_NAME) ? 1 : 0;
}

bool np_register(const scan_word &word) {
  static const char *const regs[] = {
      "rax", "rbx", "rcx",  "rdx",  "rsi",  "rdi",  "rbp",  "rsp",  "eax",  "ebx",
      "ecx", "edx", "esi",  "edi",  "ebp",  "esp",  "ax",   "bx",   "cx",   "dx",
      "si",  "di",  "bp",   "sp",   "r8",   "r9",   "r10",  "r11",  "r12",  "r13",
      "r14", "r15", "r8d",  "r9d",  "r10d", "r11d", "r12d", "r13d", "r14d", "r15d",
      "r8w", "r9w", "r10w", "r11w", "r12w", "r13w", "r14w", "r15w", nullptr};
  return word.w_len <= 4 && precise_word_is(word, regs);
}

int np_label(nasm_reader *r, bool data_only) {
  precise_lexer *lx = &r->lx;
  if (np_local(lx->word)) return 1;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  return id != PRECISE_NONE && precise_label(&lx->pf, id, lx->line, data_only);
}

// Operands from `c` on: names of known data are references.
int np_operands(nasm_reader *r, int c) {
  precise_lexer *lx = &r->lx;
  for (; !np_end(c); c = np_next(r)) {
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named > 0) {
      if (!np_local(lx->word) &&
          !precise_operand(&lx->pf, lx->word.w_text, lx->word.w_len, lx->line)) {
        return 0;
      }
    } else if ((c >= '0' && c <= '9') || c == '%') {
      np_pass(r);  // a number, a macro parameter or a macro-local name
    } else if (c == '"' || c == '\'' || c == '`') {
      np_quoted(r, c);
    }
  }
  return 1;
}

// The operand of a call or jump, after any size or distance words.
int np_target(nasm_reader *r, precise_event_kind kind) {
  static const char *const sizes[] = {"near",  "far",   "short", "strict", "byte",  "word", "dword",
                                      "qword", "tword", "oword", "yword",  "zword", nullptr};
  precise_lexer *lx = &r->lx;
  int c = np_next(r);
  for (;;) {
    bool escaped = c == '$';
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) return np_skip(r, c), 1;  // memory, a number, "$"
    if (!escaped && precise_word_is(lx->word, sizes)) {
      c = np_next(r);
      continue;
    }
    if ((!escaped && np_register(lx->word)) || np_local(lx->word)) {
      return np_skip(r, np_next(r)), 1;
    }
    break;
  }
  int64_t line = lx->line;
  uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  np_skip(r, np_next(r));
  if (kind == PE_CALL) lx->pf.names[id].flags |= PN_CALLED;
  return precise_note(&lx->pf, kind, id, line);
}

// section NAME [attributes]: code for .text and for anything declared exec.
int np_section(nasm_reader *r) {
  precise_lexer *lx = &r->lx;
  int c = np_next(r);
  if (!np_name_start(c)) return np_skip(r, c), 1;
  if (!precise_read_name(lx, c, CH_NASM_NAME)) return 0;
  const char *name = lx->word.w_text;
  precise_section_kind kind = SEC_UNKNOWN;
  if (std::strncmp(name, ".text", 5) == 0 && (name[5] == '\0' || name[5] == '.')) kind = SEC_CODE;
  uint32_t id = precise_intern(&lx->pf, name, lx->word.w_len);
  if (id == PRECISE_NONE) return 0;
  int64_t line = lx->line;
  static const char *const exec[] = {"exec", nullptr};
  static const char *const noexec[] = {"noexec", nullptr};
  for (c = np_next(r); !np_end(c); c = np_next(r)) {
    if (np_name_start(c)) {
      if (!precise_read_name(lx, c, CH_NASM_NAME)) return 0;
      if (precise_word_is(lx->word, exec)) kind = SEC_CODE;
      if (precise_word_is(lx->word, noexec)) kind = SEC_DATA;
    } else if (c == '"' || c == '\'' || c == '`') {
      np_quoted(r, c);
    }
  }
  return precise_section(&lx->pf, id, kind, line);
}

// A directive that begins a line (bare or in brackets). Returns 1 when the
// word was one and its line has been consumed, 0 when memory ran out, -1
// when the word is no directive.
int np_directive(nasm_reader *r) {
  static const char *const sections[] = {"section", "segment", nullptr};
  static const char *const struc[] = {"struc", "absolute", nullptr};
  static const char *const endstruc[] = {"endstruc", nullptr};
  static const char *const others[] = {
      "global", "extern", "common",  "static",   "bits",    "default",  "cpu",
      "org",    "align",  "alignb",  "istruc",   "iend",    "use16",    "use32",
      "use64",  "float",  "warning", "required", "cextern", "cvisible", nullptr};
  static const char *const cglobal[] = {"cglobal", nullptr};
  precise_lexer *lx = &r->lx;
  if (precise_word_is(lx->word, sections)) return np_section(r);
  if (precise_word_is(lx->word, struc)) {
    // Its labels are offsets, neither code nor data; endstruc goes back.
    if (lx->pf.section != PRECISE_NONE) r->outside = lx->pf.section;
    np_skip(r, np_next(r));
    return precise_section(&lx->pf, PRECISE_NONE, SEC_NONE, lx->line);
  }
  if (precise_word_is(lx->word, endstruc)) {
    np_skip(r, np_next(r));
    return precise_section(&lx->pf, r->outside, SEC_UNKNOWN, lx->line);
  }
  if (precise_word_is(lx->word, cglobal)) {
    // The codec projects' macro: cglobal NAME, ... begins the function NAME.
    int c = np_next(r);
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) return np_skip(r, c), 1;
    uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
    if (id == PRECISE_NONE) return 0;
    precise_name &n = lx->pf.names[id];
    n.flags |= PN_FUNC | PN_LABEL;
    if (n.line < 0) n.line = lx->line;
    int64_t line = lx->line;
    np_skip(r, np_next(r));
    return precise_note(&lx->pf, PE_FUNC, id, line);
  }
  if (precise_word_is(lx->word, others)) return np_skip(r, np_next(r)), 1;
  return -1;
}

// A statement from its first character `c`: labels, then a directive or an
// instruction with its operands.
int np_statement(nasm_reader *r, int c) {
  static const char *const calls[] = {"call", nullptr};
  static const char *const jumps[] = {
      "jmp", "ja",  "jae", "jb",   "jbe", "jc",   "jcxz", "jecxz", "jrcxz", "je",   "jg",   "jge",
      "jl",  "jle", "jna", "jnae", "jnb", "jnbe", "jnc",  "jne",   "jng",   "jnge", "jnl",  "jnle",
      "jno", "jnp", "jns", "jnz",  "jo",  "jp",   "jpe",  "jpo",   "js",    "jz",   nullptr};
  precise_lexer *lx = &r->lx;
  bool first = true;      // the first word of the line
  bool labelled = false;  // a label with a colon waits for what follows it
  uint32_t label = PRECISE_NONE;
  int64_t label_line = 0;
  bool escaped;
  for (;;) {
    escaped = c == '$';
    int named = np_name(r, &c);
    if (named == 0) return 0;
    if (named < 0) {
      if (labelled && !precise_label(&lx->pf, label, label_line)) return 0;
      return np_operands(r, c);
    }
    int d = src_get(lx->src);
    if (d != ':' || !first) {
      if (d != SRC_EOF) src_unget(lx->src);
      break;
    }
    first = false;
    if (!np_local(lx->word)) {
      label = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
      if (label == PRECISE_NONE) return 0;
      labelled = true;
      label_line = lx->line;
    }
    c = np_next(r);
    if (np_end(c)) return !labelled || precise_label(&lx->pf, label, label_line);
  }
  bool data = !escaped && precise_word_is(lx->word, np_data_words);
  if (labelled && !precise_label(&lx->pf, label, label_line, data)) return 0;
  if (!escaped && first) {
    int done = np_directive(r);
    if (done >= 0) return done;
  }
  if (!escaped && precise_word_is(lx->word, calls)) return np_target(r, PE_CALL);
  if (!escaped && precise_word_is(lx->word, jumps)) return np_target(r, PE_JUMP);
  if (data || !first) return np_operands(r, np_next(r));
  // The first word of the line with no colon: a label only when data follows.
  c = np_next(r);
  if (!np_name_start(c)) return np_operands(r, c);
  std::swap(lx->word, r->spare);
  if (!precise_read_name(lx, c, CH_NASM_NAME)) return 0;
  if (precise_word_is(lx->word, np_data_words)) {
    std::swap(lx->word, r->spare);
    if (!np_label(r, true)) return 0;
  } else if (!np_local(lx->word) &&
             !precise_operand(&lx->pf, lx->word.w_text, lx->word.w_len, lx->line)) {
    return 0;
  }
  return np_operands(r, np_next(r));
}

// A line that begins with "%": a preprocessor directive, whose line is
// passed over (and whose macro bodies are templates, not code), or a
// macro-local label.
int np_percent(nasm_reader *r) {
  static const char *const opens[] = {"macro", "imacro", "rmacro", "irmacro", nullptr};
  static const char *const closes[] = {"endmacro", "endm", nullptr};
  precise_lexer *lx = &r->lx;
  int c = src_get(lx->src);
  if (c == '%') {
    np_pass(r);
    c = src_get(lx->src);
    if (c != ':' && c != SRC_EOF) src_unget(lx->src);
    c = np_next(r);
    return r->macro_depth > 0 || np_end(c) ? (np_skip(r, c), 1) : np_statement(r, c);
  }
  if (c != SRC_EOF && (scan_char_class[c] & CH_WORD_START)) {
    if (!precise_read_name(lx, c, CH_NASM_NAME)) return 0;
    if (precise_word_is(lx->word, opens)) r->macro_depth++;
    if (precise_word_is(lx->word, closes) && r->macro_depth > 0) r->macro_depth--;
  } else if (c != SRC_EOF) {
    src_unget(lx->src);
  }
  np_skip(r, np_next(r));
  return 1;
}
}  // namespace

int scan_nasm_precise(call_graph *graph, scan_source *src, const char *file) {
  nasm_reader r;
  r.spare = scan_word{nullptr, 0, 0};
  r.macro_depth = 0;
  if (!precise_lexer_begin(&r.lx, graph, src, file)) return 0;
  r.outside = r.lx.pf.section;
  int ok = 1;
  for (int c = np_next(&r); c != SRC_EOF; c = np_next(&r)) {
    int done = 1;
    if (c == '\n') continue;
    if (c == '%') {
      done = np_percent(&r);
    } else if (r.macro_depth > 0) {
      np_skip(&r, c);
    } else if (c == '[') {
      // [section .text], [bits 64]: the same directives in brackets.
      c = np_next(&r);
      int named = np_name(&r, &c);
      if (named > 0) {
        done = np_directive(&r);
        if (done < 0) done = 1, np_skip(&r, np_next(&r));
      } else {
        done = named < 0 ? (np_skip(&r, c), 1) : 0;
      }
    } else {
      done = np_statement(&r, c);
    }
    if (!done) {
      ok = precise_nomem(&r.lx.pf, r.lx.line);
      break;
    }
  }
  if (ok) ok = precise_finish(&r.lx.pf, false);
  precise_lexer_end(&r.lx);
  mem_free(r.spare.w_text);
  return ok;
}
