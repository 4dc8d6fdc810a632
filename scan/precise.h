// What the two precise readings (-p) share. A dialect's lexer cuts the
// characters as its assembler does and notes, for one file, the names it met
// and what happened to them in order: section switches, labels, calls, jumps
// and data references. Only at the end of the file, when every announcement
// and every call is known, are the labels sorted into functions and data and
// each call charged to the function that owns it, through the same graph
// operations as the default rules.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graph/symbol_graph.h"
#include "scan/scanner.h"

// What a file does with a name, gathered while it is read.
enum precise_name_flag : uint32_t {
  PN_LABEL = 1,       // a label of this file, in any section
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
  symbol *sym;       // the graph's first record of this name, once looked up
};

enum precise_event_kind : uint32_t {
  PE_SECTION,  // the id is the section, the kind is in `arg`
  PE_LABEL,    // a label in the current section
  PE_FUNC,     // a function begins here, whatever its label (NASM's cglobal)
  PE_CALL,
  PE_JUMP,
  PE_REF,  // a data reference
};

struct precise_event {
  uint32_t kind : 8, arg : 24;
  uint32_t id;
  int64_t line;
};

enum : uint32_t { PRECISE_NONE = UINT32_MAX };

// The memory of one file's precise reading.
struct precise_file {
  call_graph *graph;
  const char *file;
  precise_name *names;
  uint32_t count;
  uint32_t cap;
  uint32_t *slots;  // open addressing over `names`: id + 1, 0 when empty
  uint32_t nslots;
  precise_event *events;
  size_t nevents;
  size_t evcap;
  char *arena;  // a chain of blocks; the first bytes of each point at the last
  size_t arena_used;
  size_t arena_cap;
  uint32_t section;  // the current section
  uint8_t sec_kind;  // and its kind
};

// Starts the reading of a file; the code section `.text` is current.
// Returns 1, or 0 when memory ran out (nothing to release).
int precise_begin(precise_file *pf, call_graph *graph, const char *file);

// Releases what the reading holds.
void precise_release(precise_file *pf);

// The id of the name, entered when new; PRECISE_NONE when memory ran out.
uint32_t precise_intern(precise_file *pf, const char *text, size_t len);

// The id of the name if the file has met it, else PRECISE_NONE.
uint32_t precise_find(const precise_file *pf, const char *text, size_t len);

// Notes an event; 0 when memory ran out.
int precise_note(precise_file *pf, precise_event_kind kind, uint32_t id, int64_t line,
                 uint32_t arg = 0);

// Makes the named section current, with `kind` when the file says so and
// otherwise the kind it had; 0 when memory ran out.
int precise_section(precise_file *pf, uint32_t id, precise_section_kind kind, int64_t line);

// A label of the current section. NASM's labels of data in code (`msg db 0`)
// pass `data_only`: in code they are neither functions nor data. 0 when
// memory ran out.
int precise_label(precise_file *pf, uint32_t id, int64_t line, bool data_only = false);

// A name in an operand: noted as a data reference when it names a data label
// that is already known, in this file or an earlier one. 0 when memory ran
// out.
int precise_operand(precise_file *pf, const char *text, size_t len, int64_t line);

// The end of the file: decides which labels are functions (with
// `need_announce`, only those announced or called; otherwise every label in
// code), defines them and the data labels, and records every call, jump and
// reference owned by a function. Returns 1, or 0 after a memory message.
int precise_finish(precise_file *pf, bool need_announce);

// Writes the scanner's memory message for `line`; returns 0.
int precise_nomem(const precise_file *pf, int64_t line);

// What the two lexers share to cut characters.
struct precise_lexer {
  precise_file pf;
  scan_source *src;
  scan_word word;
  int64_t line;
  bool eof;  // the file ended: right after the last word, or at the last get
};

// Reads the name that begins with `first` (characters of class `chars`) into
// lx->word; a name cut off by the end of the file still counts, as it does
// for the assembler. Returns 1, or 0 when memory ran out.
int precise_read_name(precise_lexer *lx, int first, unsigned chars);

// True when the word is one of `words` (a list ending in null), ignoring ASCII
// case.
bool precise_word_is(const scan_word &word, const char *const *words);

// Consumes the rest of the line and its newline, counting it; returns '\n',
// or SRC_EOF at the end of the file.
int precise_skip_line(precise_lexer *lx);

// Starts and ends the lexer of one file; precise_lexer_begin writes the
// memory message itself and returns 0 when it fails.
int precise_lexer_begin(precise_lexer *lx, call_graph *graph, scan_source *src, const char *file);
void precise_lexer_end(precise_lexer *lx);
