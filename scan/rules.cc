// What both dialects share: the character classes, the word reader, the
// per-file state and the rules that turn tokens into symbols and edges.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "graph/memory.h"
#include "scan/scanner.h"

unsigned char scan_char_class[256];
unsigned char scan_fold[256];
bool scan_ascii_words = false;

void scan_init_chars() {
  scan_ascii_words = true;
  for (int c = 0; c < 256; ++c) {
    unsigned char flags = 0;
    if (std::isspace(c)) flags |= CH_SPACE;
    if (std::isalpha(c) || c == '_') flags |= CH_WORD_START;
    if (std::isalnum(c) || c == '_') flags |= CH_WORD;
    scan_char_class[c] = flags;
    // Keywords are plain ASCII and must read the same in every locale: a
    // Turkish one would otherwise fold "I" to a dotless i and miss "GLOBAL".
    scan_fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    bool ascii_word =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (c < 128 && ascii_word != ((flags & CH_WORD) != 0)) scan_ascii_words = false;
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
    // Copy the run of word characters that is already in the buffer, with
    // room made once for as much as the buffer holds.
    const unsigned char *p = src->buf + src->pos;
    const unsigned char *end = src->buf + src->len;
    if (!word_reserve(word, word->w_len + static_cast<size_t>(end - p) + SRC_PAD)) {
      return WORD_NOMEM;
    }
    char *out = word->w_text + word->w_len;
    while (p < end && (scan_char_class[*p] & CH_WORD))
      *out++ = static_cast<char>(*p++);
    word->w_len = static_cast<size_t>(out - word->w_text);
    src->pos = static_cast<size_t>(p - src->buf);
    if (p < end) break;
    // The buffer ran out inside the word: refill and go on.
    int c = src_get(src);
    if (c == SRC_EOF) return WORD_EOF;
    src_unget(src);
  }
  word->w_text[word->w_len] = '\0';
  return WORD_OK;
}

void scan_begin(scan_state *st, call_graph *graph, scan_source *src, const char *file) {
  st->graph = graph;
  st->src = src;
  st->file = file;
  st->prev = TK_START;
  st->in_text = 1;
  st->pending = nullptr;
  st->current = nullptr;
  st->caller = nullptr;
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

int scan_word_missing(scan_state *st, word_result result, int *ok) {
  if (result == WORD_EOF) {
    *ok = 1;
    return 0;
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
// record_call's memory messages. The misspelling of the one for a callee's
// very first caller is deliberate: the tool has always written it so, and
// scripts that watch for it must keep finding it.
constexpr char NOMEM_FIRST_CALLER_TEXT[] = "Memory alloation error\n";
constexpr char NOMEM_TEXT[] = "Memory allocation error\n";

// Records an edge from the current function to `target`; 1 or 0.
int rule_edge(scan_state *st, symbol *target) {
  edge *e = edge_create(target);
  if (e == nullptr) return scan_nomem(st);
  // The first record of a name never changes, so one lookup per function is
  // enough.
  if (st->caller == nullptr) st->caller = sym_lookup(st->graph, st->current);
  switch (record_call(st->graph, st->caller, e)) {
    case record_result::done:
      return 1;
    case record_result::nomem_first_caller:
      std::fputs(NOMEM_FIRST_CALLER_TEXT, stderr);
      return 0;
    case record_result::nomem:
      break;
  }
  std::fputs(NOMEM_TEXT, stderr);
  return 0;
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
    symbol *target = sym_lookup(graph, word);
    if (target == nullptr) {
      target = sym_add(graph, 1, word, st->file, -1);
      if (target == nullptr) return scan_nomem(st);
    }
    return rule_edge(st, target);
  }
  if (st->prev == TK_IDENT && st->current != nullptr) {
    symbol *target = sym_lookup_data(graph, word, st->word.w_len);
    if (target != nullptr) return rule_edge(st, target);
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
    st->caller = nullptr;
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
