// The characters of GNU assembler syntax as the precise reading cuts them.
#include "scan/precise/gnu_lex.h"

#include <cstring>

#include "scan/isa/x86_64.h"

const gp_classes gp_chars;

gp_classes::gp_classes() {
  for (int c = 1; c < 256; ++c) {
    if (std::strchr("\n;#/\"'", c) == nullptr) is[c] |= GP_DULL;
    if (std::strchr("\n;#/\"'@", c) == nullptr) is[c] |= GP_DULL_AT;
    if (std::strchr(" \t,()+-:", c) != nullptr) is[c] |= GP_PUNCT;
    // An immediate's and an indirect operand's marks lead to no name.
    if (c == x86_64_isa.immediate_mark || c == x86_64_isa.indirect_mark) is[c] |= GP_PUNCT;
  }
}

namespace {
// The bytes that gp_next hands back as they are: all but blanks, newlines,
// "#", "/", 0 (which may be the end of the data) and the comment character
// `extra`, if any.
struct gp_plain_bytes {
  bool is[256] = {};
  constexpr explicit gp_plain_bytes(char extra) {
    for (int c = 1; c < 256; ++c)
      is[c] = c != ' ' && (c < '\t' || c > '\r') && c != '#' && c != '/' && c != extra;
  }
};
constexpr gp_plain_bytes gp_plain('\0'), gp_plain_at('@'), gp_plain_semicolon(';');

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
}  // namespace

int gp_begin(gnu_reader *g, const lex_chars *chars, scan_run *run, scan_source *src,
             const char *file) {
  g->depth = 0;
  g->macro_depth = 0;
  g->intel = false;
  g->set = isa_pick{};
  g->def = PRECISE_NONE;
  gp_comment_char(g, 0);
  if (!precise_lexer_begin(&g->lx, chars, run, src, file)) return 0;
  g->previous = g->lx.pf.section;
  return 1;
}

void gp_comment_char(gnu_reader *g, int c) {
  g->comment = c;
  g->plain = c == '@' ? &gp_plain_at.is : c == ';' ? &gp_plain_semicolon.is : &gp_plain.is;
  g->dull = c == '@' ? GP_DULL_AT : GP_DULL;
}

void gp_settle(gnu_reader *g) {
  int c = gp_isa(g).line_comment;
  if (g->set.macho && !(g->set.decided && g->set.isa == ISA_X86_64)) c = ';';
  if (c != g->comment) gp_comment_char(g, c);
}

int gp_next_slow(gnu_reader *g) {
  scan_source *src = g->lx.src;
  for (;;) {
    int c = precise_skip_blanks(&g->lx);
    if (c == g->comment && c != 0) return precise_skip_line(&g->lx);
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

void gp_skip(gnu_reader *g, int c) {
  for (; !gp_end(c); c = gp_next(g)) {
    if (c == '"' || c == '\'') gp_quoted(g, c);
    precise_pass(&g->lx, gp_chars.is, g->dull);
  }
}

void gp_pass(gnu_reader *g, unsigned chars) {
  precise_pass(&g->lx, syntax_classes.cls, chars);
}

bool gp_colon(gnu_reader *g) {
  int c = src_get(g->lx.src);
  if (c == ':') return true;
  if (c != SRC_EOF) src_unget(g->lx.src);
  return false;
}

void gp_suffix(gnu_reader *g) {
  scan_source *src = g->lx.src;
  int c = src_get(src);
  if (c == '@' && g->comment != '@') {
    gp_pass(g, CH_GNU_NAME);
  } else if (c == '(' && g->set.isa == ISA_ARM) {
    // ARM's "f(PLT)".
    gp_pass(g, CH_GNU_NAME);
    c = src_get(src);
    if (c != ')' && c != SRC_EOF) src_unget(src);
  } else if (c != SRC_EOF) {
    src_unget(src);
  }
}

int gp_quoted_name(gnu_reader *g) {
  precise_lexer *lx = &g->lx;
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

int gp_read(gnu_reader *g, int c) {
  if (c == '"') return gp_quoted_name(g);
  scan_word *w = &g->lx.word;
  if (!precise_read_name(&g->lx, c, CH_GNU_NAME)) return 0;
  // clang's alias of a function for calls that must not go through the
  // PLT, ".Lf$local", is read as the function's own name.
  static const char local[] = "$local";
  const size_t n = sizeof local - 1;
  if (w->w_len > n + 2 && w->w_text[0] == '.' && w->w_text[1] == 'L' &&
      std::memcmp(w->w_text + w->w_len - n, local, n) == 0) {
    w->w_len -= n + 2;
    std::memmove(w->w_text, w->w_text + 2, w->w_len);
    w->w_text[w->w_len] = '\0';
  }
  return 1;
}
