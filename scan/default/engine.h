// The engine of the default reading: the block cursor hands every word, dot
// word, string and comment to a dialect built from its syntax and
// instruction set, and every word and dot word on to the rules. The reading
// is the one-token heuristic the rules describe: a word is a label, a
// keyword or an identifier, and nothing more is parsed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "scan/default/rules.h"
#include "scan/isa/isa.h"
#include "scan/lex/cursor.h"
#include "scan/lex/keys.h"
#include "scan/lex/skip.h"
#include "scan/syntax/syntax.h"

// What the default reading knows of a dialect: its comments, whether a word
// first on its line is a label, and its keywords, each a token class.
template <const syntax_desc &S, const isa_desc &I>
struct default_dialect {
  static constexpr unsigned char comment_char = S.comment_char;
  static constexpr bool line_labels = S.line_labels;

  using table = lex_keywords<uint16_t, 8, 64, S.case_blind>;
  static constexpr table make_keywords() {
    table t{};
    t.add(I.call_word, 1u << TK_CALL);
    t.add(S.global_words, 1u << TK_GLOBAL);
    t.add(S.extern_words, 1u << TK_EXTERN);
    t.add(S.section_words, 1u << TK_SECTION);
    t.add(S.data_sections, 1u << TK_DATASEC);
    t.add(S.code_sections, 1u << TK_TEXTSEC);
    return t;
  }
  static constexpr table keywords = make_keywords();

  // The class of a word or dot word, or `none` when it is no keyword.
  [[gnu::always_inline]] static token_class keyword(std::string_view w, token_class none) {
    uint16_t k = keywords.find(w.data(), w.size());
    return k ? static_cast<token_class>(std::countr_zero(k)) : none;
  }

  // Passes over a comment whose opening byte is at `p`; false at the end of
  // the file.
  static bool comment(lex_cursor *cur, size_t p) {
    if (S.slash_comments) return lex_skip_slash(cur, p);
    return lex_skip_line_comment(cur, p + 1, S.comment_escapes);
  }
};

// Hands a token to the rules; `at` is a byte of the buffer on the token's
// line, not before the last line asked for. False after a memory failure.
[[gnu::always_inline]] inline bool lex_apply(scan_state *st, lex_cursor *cur, token_class tk,
                                             std::string_view text, size_t at) {
  st->word = text;
  st->token_at = at;
  if (scan_apply(st, tk)) return true;
  st->lineno = lex_line(&cur->lines, at);
  return false;
}

// Classifies the word `text` whose bytes end before byte `e` of the buffer
// and hands it on; `first` says whether it stands first on its line (-1:
// not known yet, ask the buffer at `at`).
template <class D>
[[gnu::always_inline]] inline bool lex_classify(scan_state *st, lex_cursor *cur,
                                                std::string_view text, size_t at, size_t e,
                                                int first) {
  token_class tk = D::keyword(text, TK_START);
  // A keyword never looks at what follows it, so `call:` is no label.
  if (tk == TK_START) {
    if (cur->src->buf[e] == ':') {
      tk = TK_LABEL;
      ++e;
    } else if (D::line_labels && (first < 0 ? lex_first(cur, at) : static_cast<bool>(first))) {
      tk = TK_LABEL;
    } else {
      tk = TK_IDENT;
    }
  }
  cur->pos = e;
  return lex_apply(st, cur, tk, text, at);
}

// A word or dot word starting at byte `s` that fills the whole buffer: it is
// gathered in st->scratch over as many reads as it takes. False when the
// file ends inside it (the word is dropped) or memory runs out.
template <class D, class K>
[[gnu::noinline]] bool lex_long_word(scan_state *st, lex_cursor *cur, size_t s) {
  scan_source *src = cur->src;
  scan_word *w = &st->scratch;
  int64_t line = lex_line(&cur->lines, s);
  int first = lex_first_on_line(cur, s);
  size_t n = 0;
  size_t from = s;
  size_t to = src->len;
  for (;;) {
    // Eight bytes more, so that a keyword test may read a whole word.
    if (!word_reserve(w, n + (to - from) + 8)) {
      st->lineno = line;
      return scan_nomem(st);
    }
    std::memcpy(w->w_text + n, src->buf + from, to - from);
    n += to - from;
    if (to < src->len) break;
    if (!lex_refill(cur, src->len)) return false;
    from = 0;
    to = static_cast<size_t>(K::run_end(src->buf, cur->cls, CH_WORD) - src->buf);
  }
  std::memset(w->w_text + n, 0, 8);
  w->w_len = n;
  std::string_view text(w->w_text, n);
  if (text[0] == '.') {
    cur->pos = to;
    return lex_apply(st, cur, D::keyword(text, TK_OTHERDIR), text, 0);
  }
  return lex_classify<D>(st, cur, text, 0, to, first);
}

// A word or dot word starting at byte `s` runs into the end of the buffer:
// keep it, read on, and let the scan find it again at the front. False when
// the file ends right after it (it is dropped then, as a word cut short).
template <class D, class K>
[[gnu::noinline]] bool lex_keep(scan_state *st, lex_cursor *cur, size_t s) {
  scan_source *src = cur->src;
  if (src->len - s >= src->cap) return lex_long_word<D, K>(st, cur, s);
  return lex_refill(cur, s);
}

// A word character at byte `p` begins a run of them.
template <class D, class K>
[[gnu::always_inline]] inline bool lex_word(scan_state *st, lex_cursor *cur, size_t p) {
  const unsigned char *buf = cur->src->buf;
  size_t e = lex_run_end<K>(cur, p);
  size_t s = p;
  if (!(cur->cls[buf[p]] & CH_WORD_START)) {
    // Digits before the first letter are no part of a word: `0x10` holds
    // the word `x10`.
    do {
      ++s;
    } while (s < e && !(cur->cls[buf[s]] & CH_WORD_START));
    if (s == e) {
      cur->pos = e;
      return true;
    }
  }
  if (e == cur->src->len) return lex_keep<D, K>(st, cur, s);
  std::string_view text(reinterpret_cast<const char *>(buf + s), e - s);
  return lex_classify<D>(st, cur, text, s, e, -1);
}

// A dot at byte `p` begins a dot word: the dot and the word characters after it.
template <class D, class K>
[[gnu::always_inline]] inline bool lex_dot_word(scan_state *st, lex_cursor *cur, size_t p) {
  const unsigned char *buf = cur->src->buf;
  size_t e = p + 1;
  if (cur->cls[buf[e]] & CH_WORD) e = lex_run_end<K>(cur, e);
  if (e == cur->src->len) return lex_keep<D, K>(st, cur, p);
  std::string_view text(reinterpret_cast<const char *>(buf + p), e - p);
  cur->pos = e;
  return lex_apply(st, cur, D::keyword(text, TK_OTHERDIR), text, p);
}

// Reads one file with the dialect `D` and the kernel `K`.
template <class D>
struct default_reading {
  template <class K>
  [[gnu::always_inline]] static scan_result run(const lex_chars *chars, call_graph *graph,
                                                scan_source *src, const char *file) {
    scan_state st{.graph = graph, .file = file};
    lex_cursor cur = lex_open(src, chars);
    st.lines = &cur.lines;
    for (;;) {
      size_t off = cur.pos - cur.blk;
      if (off >= 64) {
        if (cur.pos >= src->len) {
          if (!lex_refill(&cur, src->len)) break;
          continue;
        }
        lex_load<K, D::comment_char, D::line_labels>(&cur);
        off = cur.pos - cur.blk;
      }
      uint64_t m = cur.starts >> off;
      if (m == 0) {
        cur.pos = cur.blk + 64;
        continue;
      }
      size_t p = cur.pos + static_cast<size_t>(__builtin_ctzll(m));
      unsigned char c = src->buf[p];
      bool more;
      if (cur.cls[c] & CH_WORD) {
        more = lex_word<D, K>(&st, &cur, p);
      } else if (c == '.') {
        more = lex_dot_word<D, K>(&st, &cur, p);
      } else if (c == '"' || c == '\'') {
        more = lex_skip_string(&cur, p);
      } else {
        more = D::comment(&cur, p);
      }
      if (!more) break;
    }
    if (st.status == scan_status::done) st.lineno = cur.lines.line;
    return scan_end(&st);
  }
};
