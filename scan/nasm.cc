// The NASM-syntax lexer: semicolon comments, case-blind keywords, and labels
// that are either followed by a colon or stand first on their line.
#include "scan/lexer.h"
#include "scan/scanner.h"

namespace {
constexpr scan_keyword nasm_dot_words[] = {
    {".bss", TK_DATASEC},
    {".data", TK_DATASEC},
    {".text", TK_TEXTSEC},
};
constexpr scan_keyword nasm_keywords[] = {
    {"section", TK_SECTION},
    {"global", TK_GLOBAL},
    {"extern", TK_EXTERN},
    {"call", TK_CALL},
};

// True when `word` is `keyword` (lower case), ignoring ASCII case.
bool nasm_same(std::string_view word, std::string_view keyword) {
  if (word.size() != keyword.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (scan_fold(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
  }
  return true;
}

struct nasm_lexer {
  scan_source *src;
  // True once the current pass has met a line end: only white space and
  // comments stand before the next character on its line. A file's first
  // line has no line end before it, so there a word needs its colon to be a
  // label.
  bool line_start = false;

  token_class dot_word(std::string_view word) const {
    return scan_find_keyword(word, nasm_dot_words, nasm_same).value_or(TK_OTHERDIR);
  }

  // A keyword never looks at what follows it, so `call:` is no label.
  token_class word(std::string_view word) const {
    if (std::optional<token_class> tk = scan_find_keyword(word, nasm_keywords, nasm_same)) {
      return *tk;
    }
    if (src_take_if(src, ':')) return TK_LABEL;
    return line_start ? TK_LABEL : TK_IDENT;
  }
};

// Consumes a comment after its semicolon. True when a newline ended it;
// false at end of file.
bool nasm_comment(scan_state *st, scan_source *src) {
  for (;;) {
    int c = src_get_after(src, [](const unsigned char *p) {
      while (*p != '\n' && *p != '\\' && *p != 0)
        ++p;
      return p;
    });
    if (c == SRC_EOF) return false;
    if (c == '\n') {
      st->lineno++;
      return true;
    }
    if (c == '\\') {
      // A backslash carries the comment over whatever follows it; only a
      // real newline counts as a line.
      c = src_get(src);
      if (c == SRC_EOF) return false;
      if (c == '\n') st->lineno++;
    }
  }
}
}  // namespace

scan_result scan_nasm(call_graph *graph, scan_source *src, const char *file) {
  scan_state st{.graph = graph, .file = file};
  nasm_lexer lexer{src};
  for (;;) {
    // A pass: white space and comments, then the token, quoted string or
    // ignored character that ends it.
    lexer.line_start = false;
    int c;
    for (;;) {
      c = scan_get_after_space(&st, src, &lexer.line_start);
      if (c != ';') break;
      if (!nasm_comment(&st, src)) return scan_end(&st);
      lexer.line_start = true;
    }
    if (!scan_token(&st, c, lexer)) break;
  }
  return scan_end(&st);
}
