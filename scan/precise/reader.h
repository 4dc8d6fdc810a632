// What the two precise readings (-p) share. A dialect's lexer cuts the
// characters as its assembler does, and both feed the same graph operations
// as the default rules.
//
// In GNU syntax a label may be announced as a function after it, or become
// one because a later call names it, so that reading notes, for one file,
// the names it met and what happened to them in order: section switches,
// labels, calls, jumps and data references. Only at the end of the file are
// the labels sorted into functions and data and each call charged to the
// function that owns it. In NASM syntax every label in code is a routine, so
// that reading decides as it goes, with the functions at the end of this
// header; it keeps in the table only its sections, the names it must take
// apart and the few labels a jump may still ask about.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "graph/symbol_graph.h"
#include "scan/charge.h"
#include "scan/lex/chars.h"
#include "scan/lex/word.h"
#include "scan/scanner.h"
#include "scan/simd/dispatch.h"
#include "scan/syntax/classes.h"

// What a file does with a name, gathered while it is read.
enum precise_name_flag : uint32_t {
  PN_LABEL = 1,       // a label of this file, in any section (NASM: of data in code)
  PN_CODE_LABEL = 2,  // a label in a code section
  PN_DATA = 4,        // a label in a data section
  PN_ANNOUNCED = 8,   // made global or typed a function
  PN_CALLED = 16,     // named by a call
  PN_FUNC = 32,       // a function: decided at the end of the file
  PN_DEFINED = 64,    // (a name as users know it) its function is defined
  PN_CANON = 128,     // the `canon` field is known
};

enum precise_section_kind : uint8_t { SEC_UNKNOWN, SEC_CODE, SEC_DATA, SEC_NONE };

// One distinct name of the file.
struct precise_name {
  const char *text;  // in the file's arena, NUL-terminated
  uint32_t len;
  uint32_t hash;
  uint32_t flags;
  uint32_t canon;    // the name as users know it: an id of the same table
  uint32_t owner;    // as a section: the function its code belongs to now
  uint8_t sec_kind;  // as a section: code, data or neither
  int64_t line;      // line of the label that defines it
  sym_id sym;        // the graph's first record of this name, once looked up
};

enum precise_event_kind : uint32_t {
  PE_SECTION,  // the id is the section, the kind is in `arg`
  PE_LABEL,    // a label in the current section
  PE_CALL,
  PE_JUMP,
  PE_REF,  // a data reference
};

struct precise_event {
  uint32_t kind : 8, arg : 24;
  uint32_t id;
  int64_t line;
};

enum : uint32_t { PRECISE_NONE = UINT32_MAX, PRECISE_DATA_WORDS = 1024, PRECISE_RECENT = 4096 };

// One slot of the name table: the hash beside the id, so that a probe reads
// the name itself only when the hashes agree.
struct precise_slot {
  uint32_t hash;
  uint32_t id;  // id + 1; 0 in an empty slot
};

// A name of at most 8 bytes that is no data label: its bytes, zero-padded.
struct precise_absent {
  uint64_t key;
  uint32_t len;
  uint32_t era;  // 0 in an empty slot
};

enum : uint32_t { PRECISE_ABSENT = 256 };

// The memory of one file's precise reading.
struct precise_file {
  call_graph *graph;
  const char *file;
  precise_name *names;
  uint32_t count;
  uint32_t cap;
  precise_slot *slots;  // open addressing over `names`
  uint32_t nslots;
  precise_event *events;
  size_t nevents;
  size_t evcap;
  char *arena;  // a chain of blocks; the first bytes of each point at the last
  size_t arena_used;
  size_t arena_cap;
  uint32_t section;    // the current section
  uint8_t sec_kind;    // and its kind
  scan_status status;  // what ended the reading early, if anything
  int64_t fail_line;   // and on which line
  // A bit for each hash of a data label's name, so that most names in
  // operands are known to be none without a look at the table.
  uint64_t data_bits[PRECISE_DATA_WORDS];
  // Ids of names met lately, by hash: calls and labels come back to the
  // same few names, and this small table stays in the cache.
  precise_slot recent[PRECISE_RECENT];
  // Short plain names in operands (registers, mostly) that named no data
  // when last looked up; they hold while `data_era` is what it was then,
  // and it moves on with every data label the graph gains.
  precise_absent absent[PRECISE_ABSENT];
  uint32_t data_era;
};

// Starts the reading of a file; the code section `.text` is current.
// Returns 1, or 0 when memory ran out (nothing to release).
int precise_begin(precise_file *pf, call_graph *graph, const char *file);

// Releases what the reading holds.
void precise_release(precise_file *pf);

// The id of the name, entered when new; PRECISE_NONE when memory ran out.
uint32_t precise_intern(precise_file *pf, const char *text, size_t len);

// Notes an event; 0 when memory ran out.
int precise_note(precise_file *pf, precise_event_kind kind, uint32_t id, int64_t line,
                 uint32_t arg = 0);

// Makes the named section (PRECISE_NONE: none) current, with `kind` when the
// file says so and otherwise the kind it had.
void precise_enter(precise_file *pf, uint32_t id, precise_section_kind kind);

// The same, noted as an event; 0 when memory ran out.
int precise_section(precise_file *pf, uint32_t id, precise_section_kind kind, int64_t line);

// A label of the current section; 0 when memory ran out.
int precise_label(precise_file *pf, uint32_t id, int64_t line);

// A name in an operand: noted as a data reference when it names a data label
// that is already known, in this file or an earlier one. 0 when memory ran
// out.
int precise_operand(precise_file *pf, const char *text, size_t len, int64_t line);

// The end of the file: decides which labels are functions (with
// `need_announce`, only those announced or called; otherwise every label in
// code), defines them and the data labels, and records every call, jump and
// reference owned by a function. Returns 1, or 0 after a failure (noted).
int precise_finish(precise_file *pf, bool need_announce);

// The length of the name `text` without a relocation suffix (`@PLT`) or a
// compiler clone's suffix (`.part.0`).
size_t precise_base_length(const char *text, size_t len);

// For a reading that can decide as it goes (NASM's: every label in code is
// a function), the graph operations at once.
//
// The name as users know it of `text` (NUL-terminated, `len` bytes): `text`
// itself when there is nothing to take off or undo, else the table's copy;
// either way NUL-terminated. A null view when memory ran out.
std::string_view precise_canon_text(precise_file *pf, const char *text, size_t len);

// Defines the function `name` (as users know it) on `line`, unless this file
// has defined it already (by a clone, say); returns the record that its calls
// are charged to, or SYM_NONE when memory ran out.
sym_id precise_define_now(precise_file *pf, const char *name, int64_t line);

// Defines the data label `name` (as users know it) on `line`; SYM_NONE when
// memory ran out.
sym_id precise_define_data(precise_file *pf, const char *name, int64_t line);

// Charges to `owner` a reference to the data label that `text` names, when
// the graph knows one of that name by now; `text` lies in a buffer of at
// least 8 bytes. Returns 1, or 0 after a failure (noted).
inline int precise_reference(precise_file *pf, sym_id owner, const char *text, size_t len,
                             int64_t line);

// Charges to `owner` a call of `name` (as users know it). Returns 1, or 0
// after a failure (noted).
int precise_call(precise_file *pf, sym_id owner, std::string_view name, int64_t line);

// Notes that memory ran out on `line`; returns 0.
int precise_nomem(precise_file *pf, int64_t line);

// Notes how a graph operation on `line` went; returns 1 when it went well.
int precise_status(precise_file *pf, scan_status status, int64_t line);

// What the two lexers share to cut characters.
struct precise_lexer {
  precise_file pf;
  const lex_chars *chars;
  scan_source *src;
  scan_word word;
  int64_t line;
  bool eof;  // the file ended: right after the last word, or at the last get
};

// precise_read_name for a name whose characters run on at least to `p`.
int precise_read_name_rest(precise_lexer *lx, int first, unsigned chars, const unsigned char *p);

// Reads the name that begins with `first` (characters of class `chars`,
// CH_NASM_NAME or CH_GNU_NAME) into lx->word; a name cut off by the end of
// the file still counts, as it does for the assembler. Returns 1, or 0 when
// memory ran out.
inline int precise_read_name(precise_lexer *lx, int first, unsigned chars) {
  scan_source *src = lx->src;
  const unsigned char *start = src->buf + src->pos;
  // Most names are short: the rest of one of at most 8 bytes is found a byte
  // at a time, and copied with a single load.
  for (const unsigned char *p = start; p < start + 7; ++p) {
    if (syntax_classes.cls[*p] & chars) continue;
    auto size = static_cast<size_t>(p - start);
    scan_word *word = &lx->word;
    // A run that ends before the end of the data has 8 bytes of the padded
    // buffer after its start; the word buffer is at least 32 bytes long.
    if (src->pos + size == src->len || word->w_cap <= 8) break;
    src->pos += size;
    word->w_text[0] = static_cast<char>(first);
    std::memcpy(word->w_text + 1, start, 8);
    word->w_text[size + 1] = '\0';
    word->w_len = size + 1;
    return 1;
  }
  return precise_read_name_rest(lx, first, chars, start);
}

// What a word can be to either lexer, ignoring ASCII case: a mask of
// precise_keyword_kind, 0 for a word that is no keyword.
enum precise_keyword_kind : uint32_t {
  KW_CALL = 1,
  KW_JUMP = 1 << 1,
  KW_PREFIX = 1 << 2,  // an instruction prefix of GNU syntax
  KW_DATA = 1 << 3,    // NASM's data and constant pseudo-instructions
  KW_SIZE = 1 << 4,    // NASM's size and distance words
  KW_REGISTER = 1 << 5,
  KW_SECTION = 1 << 6,  // NASM's section directives
  KW_STRUC = 1 << 7,
  KW_ENDSTRUC = 1 << 8,
  KW_DIRECTIVE = 1 << 9,  // NASM's other directives
  KW_CGLOBAL = 1 << 10,
  KW_EXEC = 1 << 11,
  KW_NOEXEC = 1 << 12,
  KW_FUNC_TYPE = 1 << 13,  // the type of a function in GNU's .type
  KW_MACRO = 1 << 14,
  KW_ENDMACRO = 1 << 15,
  // GNU directives.
  KW_TEXT = 1 << 16,
  KW_DATASEC = 1 << 17,
  KW_SECTION_DIR = 1 << 18,
  KW_PUSHSECTION = 1 << 19,
  KW_POPSECTION = 1 << 20,
  KW_PREVIOUS = 1 << 21,
  KW_ANNOUNCE = 1 << 22,
  KW_TYPE = 1 << 23,
  KW_INTEL = 1 << 24,  // .intel_syntax: registers and memory without marks
  KW_ATT = 1 << 25,
};
// Only the kinds in `kinds` are looked for.
uint32_t precise_keyword(const scan_word &word, uint32_t kinds = UINT32_MAX);

// Passes over the characters `c` that have `table[c] & mask` (never 0).
inline void precise_pass(precise_lexer *lx, const unsigned char *table, unsigned mask) {
  auto run_end = [table, mask](const unsigned char *p) {
    while (table[*p] & mask)  // stops at the 0 after the data
      ++p;
    return p;
  };
  do {
    src_take_run(lx->src, run_end);
  } while (src_drained(lx->src) && src_fill(lx->src));
}

// The end of the run of blanks at `p` (the assemblers' own: space, tab,
// carriage return, form feed, vertical tab); it ends at the 0 after the
// data at the latest.
inline const unsigned char *precise_blanks_end(const precise_lexer *lx, const unsigned char *p) {
  return simd_run_end(lx->chars->kernel, p, syntax_classes.cls, CH_ASM_BLANK);
}

// Passes over blanks (not line ends); returns the next character, consumed.
inline int precise_skip_blanks(precise_lexer *lx) {
  return src_get_after(lx->src, [lx](const unsigned char *p) { return precise_blanks_end(lx, p); });
}

// Passes over blanks and whole blank lines, counting them; returns the next
// character, consumed.
inline int precise_skip_space(precise_lexer *lx) {
  int64_t lines = 0;
  int c = src_get_after(lx->src, [lx, &lines](const unsigned char *p) {
    for (;; ++p, ++lines) {
      p = precise_blanks_end(lx, p);
      if (*p != '\n') return p;
    }
  });
  lx->line += lines;
  return c;
}

// Consumes the rest of the line and its newline, counting it; returns '\n',
// or SRC_EOF at the end of the file.
int precise_skip_line(precise_lexer *lx);

// The result of a reading that has ended, before precise_lexer_end.
scan_result precise_result(const precise_lexer *lx, bool ok);

// Starts and ends the lexer of one file; precise_lexer_begin returns 0 when
// memory ran out.
int precise_lexer_begin(precise_lexer *lx, const lex_chars *chars, call_graph *graph,
                        scan_source *src, const char *file);
void precise_lexer_end(precise_lexer *lx);

// The bytes of a name of at most 8 bytes that lies in a buffer of at least
// 8, zero-padded.
inline uint64_t precise_absent_key(const char *text, size_t len) {
  uint64_t key;
  std::memcpy(&key, text, 8);
  return len < 8 ? key & ((uint64_t{1} << (8 * len)) - 1) : key;
}

// precise_reference for a name that is not known to be absent; `absent` is
// the slot that remembers it if it is, or null.
int precise_reference_lookup(precise_file *pf, sym_id owner, const char *text, size_t len,
                             int64_t line, precise_absent *absent);

inline int precise_reference(precise_file *pf, sym_id owner, const char *text, size_t len,
                             int64_t line) {
  precise_absent *absent = nullptr;
  if (len <= 8 && std::endian::native == std::endian::little) {
    uint64_t key = precise_absent_key(text, len);
    absent = &pf->absent[((key + len) * 0x9e3779b97f4a7c15ull) >> 56];
    if (absent->era == pf->data_era && absent->key == key && absent->len == len) return 1;
  }
  return precise_reference_lookup(pf, owner, text, len, line, absent);
}

// The next character of a statement when that is quick: the next byte, or
// the one after a single blank (`tab_blank`: a space or a tab; otherwise a
// space only), when `plain` says it is handed back as it is, or a newline,
// counted. Anything else is for `slow()`.
template <class Slow>
inline int precise_next(precise_lexer *lx, const bool (&plain)[256], bool tab_blank, Slow slow) {
  scan_source *src = lx->src;
  size_t pos = src->pos;
  unsigned char c = src->buf[pos];
  if (!plain[c]) {
    if (c == '\n') {
      lx->line++;
      src->pos = pos + 1;
      return c;
    }
    // Before the end of the data a blank has a byte after it, the 0 at worst.
    bool blank = c == ' ' || (tab_blank && c == '\t');
    if (!blank || !plain[src->buf[pos + 1]]) return slow();
    c = src->buf[++pos];
  }
  src->pos = pos + 1;
  return c;
}

// precise_next at the start of a line, or where a statement ended: blanks
// and blank lines are passed over in bulk first; `next()` is the reader's
// precise_next.
template <class Next>
inline int precise_next_line(precise_lexer *lx, const bool (&plain)[256], Next next) {
  int c = precise_skip_space(lx);
  if (c == SRC_EOF || plain[c]) return c;
  src_unget(lx->src);
  return next();
}
