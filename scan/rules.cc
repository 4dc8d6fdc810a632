// What both dialects share: the character classes, the word reader, the
// per-file state and the rules that turn tokens into symbols and edges.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "graph/memory.h"
#include "scan/scanner.h"

unsigned char scan_char_class[256];

void scan_init_chars() {
  for (int c = 0; c < 256; ++c) {
    unsigned char flags = 0;
    if (std::isspace(c)) flags |= CH_SPACE;
    if (std::isalpha(c) || c == '_') flags |= CH_WORD_START;
    if (std::isalnum(c) || c == '_') flags |= CH_WORD;
    scan_char_class[c] = flags;
  }
}

namespace {
// Makes room for at least `need` bytes plus the NUL; 0 when memory ran out.
int word_reserve(scan_word *word, size_t need) {
  if (need < word->w_cap) return 1;
  size_t cap = word->w_cap ? word->w_cap : 32;
  while (cap <= need)
    cap *= 2;
  char *text = static_cast<char *>(mem_realloc(word->w_text, cap));
  if (text == nullptr) return 0;
  word->w_text = text;
  word->w_cap = cap;
  return 1;
}
}  // namespace

word_result read_word(scan_source *src, int first, scan_word *word) {
  word->w_len = 0;
  if (!word_reserve(word, 1)) return WORD_NOMEM;
  word->w_text[word->w_len++] = static_cast<char>(first);
  for (;;) {
    // Take the run of word characters that is already in the buffer at once.
    size_t start = src->pos;
    size_t end = start;
    while (end < src->len && (scan_char_class[src->buf[end]] & CH_WORD))
      ++end;
    if (end > start) {
      size_t n = end - start;
      if (!word_reserve(word, word->w_len + n)) return WORD_NOMEM;
      std::memcpy(word->w_text + word->w_len, src->buf + start, n);
      word->w_len += n;
      src->pos = end;
    }
    int c = src_get(src);
    if (c == SRC_EOF) return WORD_EOF;
    if (scan_char_class[c] & CH_WORD) {
      if (!word_reserve(word, word->w_len + 1)) return WORD_NOMEM;
      word->w_text[word->w_len++] = static_cast<char>(c);
      continue;
    }
    src_unget(src);
    word->w_text[word->w_len] = '\0';
    return WORD_OK;
  }
}

void scan_begin(scan_state *st, call_graph *graph, scan_source *src, const char *file) {
  st->graph = graph;
  st->src = src;
  st->file = file;
  st->prev = TK_START;
  st->in_text = 1;
  st->pending = nullptr;
  st->current = nullptr;
  st->word = scan_word{nullptr, 0, 0};
  st->lineno = 1;
}

void scan_end(scan_state *st) {
  mem_free(st->pending);
  mem_free(st->current);
  mem_free(st->word.w_text);
  st->pending = nullptr;
  st->current = nullptr;
  st->word = scan_word{nullptr, 0, 0};
}

int scan_nomem(const scan_state *st) {
  std::fprintf(stderr, "%s: Memory allocation error for line %lld\n", st->file,
               static_cast<long long>(st->lineno));
  return 0;
}

int scan_read_word(scan_state *st, int first, int *ok) {
  switch (read_word(st->src, first, &st->word)) {
    case WORD_OK:
      return 1;
    case WORD_EOF:
      *ok = 1;
      return 0;
    case WORD_NOMEM:
      break;
  }
  *ok = scan_nomem(st);
  return 0;
}

int scan_string(scan_state *st, int quote) {
  scan_source *src = st->src;
  for (;;) {
    int c = src_get(src);
    if (c == SRC_EOF) return 0;
    if (c == quote) return 1;
    if (c == '\n') {
      st->lineno++;
    } else if (c == '\\') {
      // The escaped character never ends the string, but a newline is
      // still a line of the file.
      c = src_get(src);
      if (c == SRC_EOF) return 0;
      if (c == '\n') st->lineno++;
    }
  }
}

namespace {
// Records an edge from the current function to `target`; 1 or 0.
int rule_edge(scan_state *st, symbol *target) {
  edge *e = edge_create(target);
  if (e == nullptr) return scan_nomem(st);
  return record_call(st->graph, st->current, st->file, e);
}

int rule_ident(scan_state *st) {
  call_graph *graph = st->graph;
  const char *word = st->word.w_text;
  if (st->prev == TK_GLOBAL && st->in_text) {
    char *copy = mem_strndup(word, st->word.w_len);
    if (copy == nullptr) return scan_nomem(st);
    mem_free(st->pending);
    st->pending = copy;
    return 1;
  }
  if (st->prev == TK_CALL) {
    if (st->current == nullptr) return 1;
    symbol *target = sym_lookup(graph->cg_symbols, word, st->file);
    if (target == nullptr) {
      target = sym_add(graph, 1, word, st->file, -1);
      if (target == nullptr) return scan_nomem(st);
    }
    return rule_edge(st, target);
  }
  if (st->prev == TK_IDENT && st->current != nullptr) {
    symbol *target = sym_lookup(graph->cg_symbols, word, st->file);
    if (target != nullptr && target->s_func == 0) return rule_edge(st, target);
  }
  return 1;
}

int rule_label(scan_state *st) {
  call_graph *graph = st->graph;
  const char *word = st->word.w_text;
  if (!st->in_text && sym_add(graph, 0, word, st->file, st->lineno) == nullptr) {
    return scan_nomem(st);
  }
  if (st->prev == TK_IDENT && st->pending != nullptr && std::strcmp(st->pending, word) == 0) {
    if (sym_add(graph, 1, st->pending, st->file, st->lineno) == nullptr) return scan_nomem(st);
    // The pending copy becomes the current name; no second copy is needed.
    mem_free(st->current);
    st->current = st->pending;
    st->pending = nullptr;
  }
  return 1;
}
}  // namespace

int scan_apply(scan_state *st, token_class tk) {
  int ok = 1;
  switch (tk) {
    case TK_IDENT:
      ok = rule_ident(st);
      break;
    case TK_LABEL:
      ok = rule_label(st);
      break;
    case TK_DATASEC:
      st->in_text = 0;
      break;
    case TK_TEXTSEC:
      st->in_text = 1;
      break;
    default:
      break;
  }
  st->prev = tk;
  return ok;
}
