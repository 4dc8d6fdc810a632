// The NASM-syntax lexer: semicolon comments, case-blind keywords, and labels
// that are either followed by a colon or stand first on their line.
#include "scan/blocks.h"
#include "scan/scanner.h"

namespace {
struct nasm_dialect {
  static constexpr unsigned char comment_char = ';';
  // A word first on its line is a label even without its colon.
  static constexpr bool line_labels = true;

  // The class of a keyword, in any case; TK_START for any other word.
  static token_class keyword(std::string_view w) {
    switch (w.size()) {
      case 4:
        if (lex_folded(w.data(), 4) == lex_key("call")) return TK_CALL;
        break;
      case 6: {
        uint64_t v = lex_folded(w.data(), 6);
        if (v == lex_key("global")) return TK_GLOBAL;
        if (v == lex_key("extern")) return TK_EXTERN;
        break;
      }
      case 7:
        if (lex_folded(w.data(), 7) == lex_key("section")) return TK_SECTION;
        break;
    }
    return TK_START;
  }

  static token_class dot_word(std::string_view w) {
    switch (w.size()) {
      case 4:
        if (lex_folded(w.data(), 4) == lex_key(".bss")) return TK_DATASEC;
        break;
      case 5: {
        uint64_t v = lex_folded(w.data(), 5);
        if (v == lex_key(".data")) return TK_DATASEC;
        if (v == lex_key(".text")) return TK_TEXTSEC;
        break;
      }
    }
    return TK_OTHERDIR;
  }

  // Passes over a comment from its semicolon at `p` to the newline that ends
  // it. A backslash carries the comment over whatever follows it, a newline
  // too. False at the end of the file.
  static bool comment(lex_cursor *cur, size_t p) {
    size_t i = p + 1;
    for (;;) {
      if (!lex_seek(cur, &i, '\n', '\\')) return false;
      if (cur->src->buf[i] == '\n') {
        cur->pos = i + 1;
        return true;
      }
      ++i;
      if (!lex_step_escaped(cur, &i)) return false;
    }
  }
};
}  // namespace

scan_result scan_nasm(call_graph *graph, scan_source *src, const char *file) {
  return lex_scan<nasm_dialect>(graph, src, file);
}
