// The graph-building rules, the same for both dialects. The scanner reads no
// instructions: it remembers only the class of the previous token, and every
// rule below is a guess from that one token of memory, a section flag and
// the two names it carries (the one a global directive announced, and the
// function whose body is being read).
#include "scan/default/rules.h"

#include <cstring>

#include "memory/memory.h"
#include "scan/charge.h"

bool rule_edge(scan_state *st, sym_id target) {
  // The first record of a name never changes, so one lookup per function is
  // enough.
  if (st->caller == SYM_NONE) st->caller = sym_lookup(st->graph, st->current).id;
  st->status = scan_charge(st->graph, st->caller, target);
  return st->status == scan_status::done;
}

scan_result scan_end(scan_state *st) {
  mem_free(st->pending);
  mem_free(st->current);
  mem_free(st->scratch.w_text);
  st->pending = nullptr;
  st->current = nullptr;
  st->scratch = scan_word{nullptr, 0, 0};
  return scan_result{st->status, st->lineno};
}

bool scan_nomem(scan_state *st) {
  st->status = scan_status::nomem;
  return false;
}

// An identifier means something only through the token before it.
bool rule_ident(scan_state *st) {
  call_graph *graph = st->graph;
  std::string_view word = st->word;
  // After a global directive it is the announced name, which waits for its
  // label. Only the last one announced waits. Outside code a global directive
  // exports data, which never becomes a function, so nothing waits then.
  if (st->prev == TK_GLOBAL && st->in_text) {
    char *copy = mem_strndup(word.data(), word.size());
    if (copy == nullptr) return scan_nomem(st);
    mem_free(st->pending);
    st->pending = copy;
    st->pending_len = word.size();
    return true;
  }
  // After "call" it is the callee, whatever follows in the operand: in
  // `call [rel table]` the callee is `rel`. Before the file's first function
  // there is nobody to charge the call to. A name not seen yet is declared
  // as a function without a line; the label that defines it later, in this
  // file or another, completes that declaration. A known name is taken as it
  // is, even a data label.
  if (st->prev == TK_CALL) {
    if (st->current == nullptr) return true;
    sym_result target = sym_find_or_declare(graph, word.data(), word.size(), st->file);
    if (!target.ok()) return scan_nomem(st);
    return rule_edge(st, target.id);
  }
  return true;
}

// A label outside code, or one that may be the announced function.
bool rule_label(scan_state *st) {
  call_graph *graph = st->graph;
  std::string_view word = st->word;
  // Every label outside code is a data label.
  if (!st->in_text && !sym_add(graph, 0, word, st->file, lex_line(st->lines, st->token_at)).ok()) {
    return scan_nomem(st);
  }
  // A label is the announced function only when nothing but identifiers
  // stood between the announcement and the label: the token right before it
  // must be an identifier, normally the announced name itself at the end of
  // the line before, or the last word of a line that describes it (`.type f,
  // @function`). A directive, a section name or a keyword in between (a
  // section switch, an alignment) breaks that link, and the label is then
  // only a label. Names match with case, as symbols do in the assemblers.
  if (st->prev == TK_IDENT && st->pending != nullptr && word.size() == st->pending_len &&
      std::memcmp(st->pending, word.data(), word.size()) == 0) {
    // Completes a declaration that an earlier call made, or adds the
    // function; outside code this follows the data label just added.
    if (!sym_add(graph, 1, std::string_view(st->pending, st->pending_len), st->file,
                 lex_line(st->lines, st->token_at))
             .ok()) {
      return scan_nomem(st);
    }
    // The pending copy becomes the current name; no second copy is needed.
    mem_free(st->current);
    st->current = st->pending;
    st->caller = SYM_NONE;
    st->pending = nullptr;
  }
  return true;
}
