// The precise reading of GNU assembler syntax (-a -p): statements end at a
// newline or ";", comments run from "#" (and "//") to the end of the line or
// between "/*" and "*/", names are the assembler's own, sections carry their
// flags, and the operand of every call and jump is looked at.
#include <bit>
#include <cstring>

#include "memory/memory.h"
#include "scan/isa/aarch64.h"
#include "scan/isa/riscv64.h"
#include "scan/isa/x86_64.h"
#include "scan/lex/keys.h"
#include "scan/precise/gnu_ops.h"
#include "scan/precise/reader.h"

namespace {
// The instruction sets a GNU file may be of: a file is of the first until
// it shows that it is of another.
constexpr const isa_desc *gp_isas[] = {&x86_64_isa, &riscv64_isa, &aarch64_isa};
using isa_keys = lex_keywords<uint32_t, 24, 256, true>;

// Each set's calls, jumps, prefixes and registers.
constexpr isa_keys make_isa_keys(const isa_desc &d) {
  isa_keys t{};
  precise_add_isa_words(&t, d);
  return t;
}
constexpr isa_keys gp_isa_keys[] = {make_isa_keys(x86_64_isa), make_isa_keys(riscv64_isa),
                                    make_isa_keys(aarch64_isa)};

// The mnemonics that show a file's set: bit i for gp_isas[i].
constexpr isa_keys make_marks() {
  isa_keys t{};
  for (uint32_t i = 0; i < std::size(gp_isas); ++i)
    t.add(gp_isas[i]->marks, 1u << i);
  return t;
}
constexpr isa_keys gp_marks = make_marks();

}  // namespace

// Outside the namespace: gnu_ops.cc holds pointers to it.
struct gnu_reader {
  precise_lexer lx;
  uint32_t previous;   // the section before the current one, for .previous
  uint32_t stack[16];  // .pushsection
  int depth;
  int64_t macro_depth;  // inside .macro ... .endm: templates, not code
  bool intel;           // .intel_syntax: `call rax`, `call QWORD PTR [rax]`
  uint32_t isa;         // the file's set, an index of gp_isas
  bool decided;         // the file showed it
  uint32_t pending;     // sets that the first operand's register would show
};

namespace {

const isa_desc &gp_isa(const gnu_reader *g) {
  return *gp_isas[g->isa];
}

// Takes the first set of the mask `sets` (bit i for gp_isas[i]) for the
// file's, if it names any.
void gp_pick(gnu_reader *g, uint32_t sets) {
  if (sets == 0) return;
  g->isa = static_cast<uint32_t>(std::countr_zero(sets));
  g->decided = true;
}

// Characters that a statement can pass over without a look: GP_DULL where
// it is skipped to its end, GP_PUNCT among the operands of an instruction.
enum { GP_DULL = 1, GP_PUNCT = 2 };
const struct gp_classes {
  unsigned char is[256] = {};
  gp_classes() {
    for (int c = 1; c < 256; ++c) {
      if (std::strchr("\n;#/\"'", c) == nullptr) is[c] |= GP_DULL;
      if (std::strchr(" \t,()+-:", c) != nullptr) is[c] |= GP_PUNCT;
      // An immediate's and an indirect operand's marks lead to no name.
      if (c == x86_64_isa.immediate_mark || c == x86_64_isa.indirect_mark) is[c] |= GP_PUNCT;
    }
  }
} gp_chars;

bool gp_end(int c) {
  return c == '\n' || c == ';' || c == SRC_EOF;
}

bool gp_local(const scan_word &word) {
  return word.w_len >= 2 && word.w_text[0] == '.' && word.w_text[1] == 'L';
}

// True when `word` begins with one of the blank-separated prefixes of `list`.
bool gp_has_prefix(const char *list, const scan_word &word) {
  for (const char *p = list; *p != '\0';) {
    size_t n = std::strcspn(p, " ");
    if (n > 0 && word.w_len >= n && std::memcmp(word.w_text, p, n) == 0) return true;
    p += n + (p[n] == ' ');
  }
  return false;
}

bool gp_name_start(int c) {
  return c != SRC_EOF && (syntax_classes.cls[c] & CH_GNU_START);
}

// Consumes a block comment after its "/*"; 0 at the end of the file.
int gp_block_comment(gnu_reader *g) {
  int star = 0;
  for (;;) {
    int c = src_get(g->lx.src);
    if (c == SRC_EOF) return 0;
    if (c == '/' && star) return 1;
    if (c == '\n') g->lx.line++;
    star = c == '*';
  }
}

// The next character that means something in a statement: comments and
// blanks are passed over, a line end (counted) comes back as '\n'.
[[gnu::noinline]] int gp_next_slow(gnu_reader *g) {
  scan_source *src = g->lx.src;
  for (;;) {
    int c = precise_skip_blanks(&g->lx);
    switch (c) {
      case '\n':
        g->lx.line++;
        return c;
      case '#':
        if (!gp_isa(g).hash_comments) return c;  // an immediate's mark
        return precise_skip_line(&g->lx);
      case '/': {
        int d = src_get(src);
        if (d == '/') return precise_skip_line(&g->lx);
        if (d == '*') {
          if (!gp_block_comment(g)) return SRC_EOF;
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

// The bytes that gp_next hands back as they are: all but blanks, newlines,
// "#", "/" and 0 (which may be the end of the data).
constexpr struct gp_plain_bytes {
  bool is[256] = {};
  constexpr gp_plain_bytes() {
    for (int c = 1; c < 256; ++c)
      is[c] = c != ' ' && (c < '\t' || c > '\r') && c != '#' && c != '/';
  }
} gp_plain;

// The same, quick in the common cases.
inline int gp_next(gnu_reader *g) {
  return precise_next(&g->lx, gp_plain.is, true, [g] { return gp_next_slow(g); });
}

// gp_next at the start of a line, or where a statement ended.
int gp_next_line(gnu_reader *g) {
  return precise_next_line(&g->lx, gp_plain.is, [g] { return gp_next(g); });
}

// Consumes a string or character constant after its opening quote. Neither
// runs past the end of its line.
void gp_quoted(gnu_reader *g, int quote) {
  scan_source *src = g->lx.src;
  int c = src_get(src);
  if (quote == '\'') {
    // 'c, '\n and 'c' are all one character.
    if (c == '\\') c = src_get(src);
    if (c == '\n') src_unget(src);
    if (c == SRC_EOF || c == '\n') return;
    c = src_get(src);
    if (c != '\'' && c != SRC_EOF) src_unget(src);
    return;
  }
  for (; c != SRC_EOF && c != quote; c = src_get(src)) {
    if (c == '\\') {
      c = src_get(src);
      if (c == SRC_EOF) return;
      if (c == '\n') g->lx.line++;
    } else if (c == '\n') {
      src_unget(src);
      return;
    }
  }
}

// Consumes the rest of a statement from `c` on.
void gp_skip(gnu_reader *g, int c) {
  for (; !gp_end(c); c = gp_next(g)) {
    if (c == '"' || c == '\'') gp_quoted(g, c);
    precise_pass(&g->lx, gp_chars.is, GP_DULL);
  }
}

// Passes over the characters of class `chars` that come next.
void gp_pass(gnu_reader *g, unsigned chars) {
  precise_pass(&g->lx, syntax_classes.cls, chars);
}

// Consumes a ":" if one follows; true when it did.
bool gp_colon(gnu_reader *g) {
  int c = src_get(g->lx.src);
  if (c == ':') return true;
  if (c != SRC_EOF) src_unget(g->lx.src);
  return false;
}

// Passes over a relocation suffix ("@PLT") if one follows.
void gp_suffix(gnu_reader *g) {
  scan_source *src = g->lx.src;
  int c = src_get(src);
  if (c == '@') {
    gp_pass(g, CH_GNU_NAME);
  } else if (c != SRC_EOF) {
    src_unget(src);
  }
}

// Reads the name that begins with `c`. clang's alias of a function for calls
// that must not go through the PLT, ".Lf$local", is read as the function's
// own name. Returns 1, or 0 when memory ran out.
int gp_read(gnu_reader *g, int c) {
  if (c == '"') return gnu_quoted_name(g);
  scan_word *w = &g->lx.word;
  if (!precise_read_name(&g->lx, c, CH_GNU_NAME)) return 0;
  static const char local[] = "$local";
  const size_t n = sizeof local - 1;
  if (w->w_len > n + 2 && gp_local(*w) && std::memcmp(w->w_text + w->w_len - n, local, n) == 0) {
    w->w_len -= n + 2;
    std::memmove(w->w_text, w->w_text + 2, w->w_len);
    w->w_text[w->w_len] = '\0';
  }
  return 1;
}

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
  int c = gp_next(g);
  while (gp_name_start(c) || c == '"') {
    if (!gp_read(g, c)) return 0;
    if (!gp_local(lx->word)) {
      uint32_t id = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
      if (id == PRECISE_NONE) return 0;
      lx->pf.names[id].flags |= PN_ANNOUNCED | PN_GLOBAL;
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
  if (!gp_name_start(c) && c != '"') return gp_skip(g, c), 1;
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
    for (uint32_t i = 0; i < std::size(gp_isas); ++i) {
      if (gp_has_prefix(gp_isas[i]->arch_names, g->lx.word)) gp_pick(g, 1u << i);
    }
    c = gp_next(g);
  }
  gp_skip(g, c);
  return 1;
}

int gp_directive(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  if (!g->decided) {
    std::string_view word(lx->word.w_text, lx->word.w_len);
    if (word == ".arch" || word == ".cpu") return gp_arch(g);
    for (uint32_t i = 0; i < std::size(gp_isas); ++i) {
      if (lex_list_has(gp_isas[i]->directives, word)) gp_pick(g, 1u << i);
    }
  }
  int other = gnu_directive(g);  // .set, .equ, .func
  if (other >= 0) return other;
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
  if (!gp_name_start(c) && c != '"' && !isa.target_last) return gnu_slot(g, kind, c, false);
  // Where the target comes last, registers and immediates go before it
  // ("jal ra, f", "cbz x0, f"); a register alone is an indirect operand.
  for (;;) {
    if (c != 0 && c == isa.immediate_mark) {
      gp_pass(g, CH_GNU_NAME);
    } else if (!gp_name_start(c) && c != '"') {
      return gp_skip(g, c), 1;
    } else {
      if (!gp_read(g, c)) return 0;
      if (!isa.target_last ||
          !gp_isa_keys[g->isa].find(lx->word.w_text, lx->word.w_len, KW_REGISTER)) {
        break;
      }
    }
    c = gp_next(g);
    if (c != ',') return gp_skip(g, c), 1;
    c = gp_next(g);
  }
  // In Intel syntax a register or a size word ("QWORD PTR [...]") says
  // that the call goes through a register or memory.
  uint32_t intel = g->intel ? precise_keyword(lx->word, KW_SIZE | KW_REGISTER) : 0;
  // A call that only loads the program counter is no edge.
  bool thunk = kind == PE_CALL && gp_has_prefix(isa.pc_thunks, lx->word);
  if (intel & KW_SIZE) return gnu_slot(g, kind, 0, true);
  if (intel || thunk || gp_local(lx->word)) return gp_skip(g, gp_next(g)), 1;
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

// Takes the set of the pending ones that has the word just read for a
// register, if any, for the file's.
void gp_register_shows(gnu_reader *g) {
  const scan_word &w = g->lx.word;
  for (uint32_t i = 1; i < std::size(gp_isas); ++i) {
    if ((g->pending >> i & 1) && gp_isa_keys[i].find(w.w_text, w.w_len, KW_REGISTER)) {
      gp_pick(g, 1u << i);
    }
  }
  g->pending = 0;
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
      if (g->pending) gp_register_shows(g);
      int64_t line = lx->line;
      if (gp_isa(g).colon_relocs && gp_colon(g)) continue;  // ":lo12:" names no symbol
      gp_suffix(g);
      // Registers without a mark (Intel syntax, other sets) name nothing.
      bool reg = (g->intel || gp_isas[g->isa] != &x86_64_isa) &&
                 (gp_isa_keys[g->isa].find(lx->word.w_text, lx->word.w_len, KW_REGISTER) ||
                  precise_keyword(lx->word, KW_SIZE));
      if (!reg && !gp_local(lx->word) &&
          !precise_operand(&lx->pf, lx->word.w_text, lx->word.w_len, line)) {
        return 0;
      }
    } else if (c == '"' || c == '\'') {
      gp_quoted(g, c);
    }
  }
}

int gp_instruction(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
  if (!g->decided) {
    // One of x86's own mnemonics shows the set; another set's own mnemonic
    // does when a register of that set comes first among its operands
    // ("stp x29, ...", "addi sp, ..."): a lone word, as in a comment of
    // another assembler, shows nothing.
    uint32_t sets = gp_marks.find(lx->word.w_text, lx->word.w_len);
    if (sets == 1) gp_pick(g, sets);
    g->pending = sets & ~1u;
  }
  const isa_keys &keys = gp_isa_keys[g->isa];
  uint32_t kinds;
  while ((kinds = keys.find(lx->word.w_text, lx->word.w_len, KW_PREFIX | KW_CALL | KW_JUMP)) &
         KW_PREFIX) {
    int c = gp_next(g);
    if (!gp_name_start(c)) return gp_skip(g, c), 1;
    if (!gp_read(g, c)) return 0;
  }
  if (kinds & KW_CALL) return gp_target(g, PE_CALL);
  if (kinds & KW_JUMP) return gp_target(g, PE_JUMP);
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
    } else if (gp_name_start(c) || c == '"') {
      if (!gp_read(g, c)) return 0;
      c = src_get(lx->src);
      if (c != ':') {
        if (c != SRC_EOF) src_unget(lx->src);
        break;
      }
      if (!gp_local(lx->word)) {
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
}  // namespace

const gnu_lex gnu_lexing = {[](gnu_reader *g) { return &g->lx; }, gp_next, gp_read, gp_skip};

scan_result scan_gnu_precise(const lex_chars *chars, call_graph *graph, scan_source *src,
                             const char *file) {
  gnu_reader g;
  g.previous = PRECISE_NONE;
  g.depth = 0;
  g.macro_depth = 0;
  g.intel = false;
  g.isa = 0;
  g.decided = false;
  g.pending = 0;
  if (!precise_lexer_begin(&g.lx, chars, graph, src, file))
    return scan_result{scan_status::nomem, 1};
  g.previous = g.lx.pf.section;
  int ok = 1;
  for (int c = gp_next_line(&g); c != SRC_EOF; c = gp_next_line(&g)) {
    if (c == '\n' || c == ';') continue;  // a comment's line, or an empty statement
    if (!gp_statement(&g, c)) {
      ok = precise_nomem(&g.lx.pf, g.lx.line);
      break;
    }
  }
  if (ok) ok = precise_finish(&g.lx.pf, true);
  scan_result result = precise_result(&g.lx, ok);
  precise_lexer_end(&g.lx);
  return result;
}
