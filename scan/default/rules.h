// The graph-building rules of the default reading, the same for both
// dialects, and the per-file state they read. The rules see tokens and a
// line counter, never the cursor that cuts the tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "graph/symbol_graph.h"
#include "scan/lex/lines.h"
#include "scan/lex/word.h"
#include "scan/scanner.h"

// Token classes. The values are fixed so that they read the same in a debugger
// whatever the dialect.
enum token_class {
  TK_OTHERDIR = 0,  // a dot word with no meaning of its own
  TK_EXTERN = 2,
  TK_GLOBAL = 3,  // the identifier after it may become the pending name
  TK_SECTION = 4,
  TK_DATASEC = 5,  // leaves code
  TK_TEXTSEC = 6,  // enters code
  TK_LABEL = 7,
  TK_CALL = 8,   // the identifier after it is a call target
  TK_START = 9,  // no token yet in this file
  TK_IDENT = 12,
};

// The state of one file's scan that the rules read; a scan starts it with its
// graph and file name, and every other field takes its start value from here.
struct scan_state {
  call_graph *graph;
  const char *file;
  token_class prev = TK_START;
  bool in_text = true;      // in a code section
  char *pending = nullptr;  // owned: the name a global directive announced
  size_t pending_len = 0;
  char *current = nullptr;   // owned: the function whose body is being read
  sym_id caller = SYM_NONE;  // the record calls from `current` go to, once looked up
  // The text of the token the rules are given: in the source's buffer, or in
  // `scratch` when it was longer than the buffer.
  std::string_view word = {};
  scan_word scratch = {nullptr, 0, 0};
  // Where the token is, so that its line is counted only when a rule needs it.
  lex_lines *lines = nullptr;
  size_t token_at = 0;
  int64_t lineno = 1;                      // the line the scan ended on
  scan_status status = scan_status::done;  // what ended the scan early, if anything
};

// Releases what the state owns at the end of a file, however the scan ended;
// returns the scan's result.
scan_result scan_end(scan_state *st);

// Notes that memory ran out on the current line; returns false.
bool scan_nomem(scan_state *st);

// The rules for an identifier after a global directive or a call, and for a
// label, whose text is st->word. False after a memory failure (st->status
// then says which).
[[nodiscard]] bool rule_ident(scan_state *st);
[[nodiscard]] bool rule_label(scan_state *st);

// Records a reference from the current function to the data symbol
// `target`. False after a memory failure (st->status then says which).
[[nodiscard]] bool rule_edge(scan_state *st, sym_id target);

// An identifier after another is most likely an operand (the one before
// being the mnemonic or another operand). Operands are mostly registers and
// numbers, so only a name already known as a data label counts, as a
// reference to it; an unknown name declares nothing, and a function's name
// here (an address taken, a jump) is no call. Inline: this is asked for
// nearly every operand, and the graph's data filter turns most away at once.
[[nodiscard, gnu::always_inline]] inline bool rule_operand(scan_state *st) {
  if (st->current == nullptr) return true;
  sym_result target = sym_lookup_data(st->graph, st->word.data(), st->word.size());
  return !target.ok() || rule_edge(st, target.id);
}

// Applies the graph-building rules to a token whose text is st->word, then
// makes it the previous token. False after a memory failure (st->status then
// says which).
[[nodiscard, gnu::always_inline]] inline bool scan_apply(scan_state *st, token_class tk) {
  bool ok = true;
  switch (tk) {
    case TK_IDENT:
      // Only a global directive, a call or another identifier before it
      // gives an identifier a meaning; most identifiers need no more.
      if (st->prev == TK_IDENT) {
        ok = rule_operand(st);
      } else if ((1u << st->prev) & (1u << TK_GLOBAL | 1u << TK_CALL)) {
        ok = rule_ident(st);
      }
      break;
    case TK_LABEL:
      // Labels in code matter only as the announced function.
      if (!st->in_text || (st->prev == TK_IDENT && st->pending != nullptr)) ok = rule_label(st);
      break;
    case TK_DATASEC:
      st->in_text = false;
      break;
    case TK_TEXTSEC:
      st->in_text = true;
      break;
    default:
      break;
  }
  // Only tokens move `prev`: white space, line ends, comments, strings and
  // ignored characters leave it, so in `call [table]` the callee is `table`
  // and a label on the line after `global main` still follows `main`.
  st->prev = tk;
  return ok;
}
