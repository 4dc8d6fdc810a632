// The GNU-assembler-syntax lexer: "//" and "/* */" comments, exact-case dot
// directives, and labels only where a colon follows the word directly.
#include "scan/lexer.h"
#include "scan/scanner.h"

namespace {
constexpr scan_keyword gnu_dot_words[] = {
    {".bss", TK_DATASEC},   {".data", TK_DATASEC}, {".text", TK_TEXTSEC},  {".section", TK_SECTION},
    {".global", TK_GLOBAL}, {".globl", TK_GLOBAL}, {".extern", TK_EXTERN},
};
constexpr scan_keyword gnu_keywords[] = {
    {"call", TK_CALL},
};

bool gnu_same(std::string_view word, std::string_view keyword) {
  return word == keyword;
}

struct gnu_lexer {
  scan_source *src;

  token_class dot_word(std::string_view word) const {
    return scan_find_keyword(word, gnu_dot_words, gnu_same).value_or(TK_OTHERDIR);
  }

  // "call" never looks at what follows it, so `call:` is no label.
  token_class word(std::string_view word) const {
    if (std::optional<token_class> tk = scan_find_keyword(word, gnu_keywords, gnu_same)) return *tk;
    return src_take_if(src, ':') ? TK_LABEL : TK_IDENT;
  }
};

// Consumes what follows a slash: a line comment, a block comment, or nothing
// (a lone slash). False at end of file.
bool gnu_slash(scan_state *st, scan_source *src) {
  int c = src_get(src);
  if (c == SRC_EOF) return false;
  if (c == '/') {
    src_skip_to(src, '\n');
    if (src_get(src) == SRC_EOF) return false;
    st->lineno++;
    return true;
  }
  if (c != '*') {
    src_unget(src);
    return true;
  }
  // The opening asterisk already counts, so "/*/" is a whole comment.
  bool star = true;
  for (;;) {
    c = src_get(src);
    if (c == SRC_EOF) return false;
    if (c == '/' && star) return true;
    if (c == '\n') st->lineno++;
    star = c == '*';
  }
}
}  // namespace

scan_result scan_gnu(call_graph *graph, scan_source *src, const char *file) {
  scan_state st{.graph = graph, .file = file};
  gnu_lexer lexer{src};
  for (;;) {
    bool newline = false;
    int c = scan_get_after_space(&st, src, &newline);
    if (c == '/') {
      if (!gnu_slash(&st, src)) break;
    } else if (!scan_token(&st, c, lexer)) {
      break;
    }
  }
  return scan_end(&st);
}
