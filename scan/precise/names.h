// What the two precise readings (-p) keep of one file: its table of names
// (names.cc), the log of events that GNU syntax needs (events.cc), and the
// graph operations of a reading that decides as it goes (bridge.cc). Both
// feed the same graph operations as the default rules.
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
#include "scan/scanner.h"

// What a file does with a name, gathered while it is read.
enum precise_name_flag : uint32_t {
  PN_LABEL = 1,          // a label of this file, in any section (NASM: of data in code)
  PN_CODE_LABEL = 2,     // a label in a code section
  PN_DATA = 4,           // a label in a data section
  PN_ANNOUNCED = 8,      // made global or typed a function
  PN_CALLED = 16,        // named by a call
  PN_FUNC = 32,          // a function: decided at the end of the file
  PN_DEFINED = 64,       // (a name as users know it) its function is defined
  PN_CANON = 128,        // the `canon` field is known
  PN_GLOBAL = 256,       // made global (.globl, .weak): other files' names reach it
  PN_LOCAL_FUNC = 512,   // (a name as users know it) a function of this file only
  PN_DEFERRED = 1024,    // (a name as users know it) its text waits for the run's end
  PN_ALIAS = 2048,       // another name (.set) of the name in `canon`
  PN_LOCAL_DATA = 4096,  // (a name as users know it) a data label of this file only
  PN_WEAK = 8192,        // made weak (.weak): a strong one elsewhere wins
};

enum precise_section_kind : uint8_t { SEC_UNKNOWN, SEC_CODE, SEC_DATA, SEC_NONE };

// One distinct name of the file.
struct precise_name {
  const char *text;  // in the file's arena, NUL-terminated
  uint32_t len;
  uint32_t hash;
  uint32_t flags;
  uint32_t canon;      // the name as users know it: an id of the same table
  uint32_t owner;      // as a section: the function its code belongs to now
  uint8_t sec_kind;    // as a section: code, data or neither
  int64_t line;        // line of the label that defines it
  sym_id sym;          // the graph's first record of this name, once looked up
                       // (of a local one: this file's own record, once made)
  uint64_t deferred;   // with PN_DEFERRED: where the run's pending names hold it
  sym_id deferred_by;  // the function that deferred it last
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

// A name of at most 8 bytes that a function's reference deferred, in the
// era of data labels it was deferred in.
struct precise_deferred {
  uint64_t key;
  uint32_t len;
  uint32_t era;
  uint32_t canon;  // the name as users know it
};

enum : uint32_t { PRECISE_ABSENT = 256 };

// The memory of one file's precise reading.
struct precise_file {
  call_graph *graph;
  scan_run *run;  // the run the file is read in: it keeps what waits for its end
  const char *file;
  precise_name *names;
  uint32_t count;
  size_t cap;
  precise_slot *slots;  // open addressing over `names`
  size_t nslots;
  precise_event *events;
  size_t nevents;
  size_t evcap;
  char *arena;  // a chain of blocks; the first bytes of each point at the last
  size_t arena_used;
  size_t arena_cap;
  uint32_t section;      // the current section
  uint8_t sec_kind;      // and its kind
  bool lead_underscore;  // names as users know them lose one leading "_"
  scan_status status;    // what ended the reading early, if anything
  uint32_t functions;    // functions defined so far (counting stops at 1)
  int64_t fail_line;     // and on which line
  bool local_data;       // some data label is the file's own (NASM)
  size_t first_ref;      // the first of the run's waiting references that this file made
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
  // Names that a function's references deferred lately, by the same hash.
  precise_deferred deferred[PRECISE_ABSENT];
  uint32_t data_era;
  uint64_t absent_mul;  // a secret odd multiplier that places names in `absent`
};

// Starts the reading of a file; the code section `.text` is current.
// Returns 1, or 0 when memory ran out (nothing to release).
[[nodiscard]] int precise_begin(precise_file *pf, scan_run *run, const char *file);

// Releases what the reading holds.
void precise_release(precise_file *pf);

// The id of the name, entered when new; PRECISE_NONE when memory ran out.
[[nodiscard]] uint32_t precise_intern(precise_file *pf, const char *text, size_t len);

// Notes an event; 0 when memory ran out.
[[nodiscard]] int precise_note(precise_file *pf, precise_event_kind kind, uint32_t id, int64_t line,
                               uint32_t arg = 0);

// Makes the named section (PRECISE_NONE: none) current, with `kind` when the
// file says so and otherwise the kind it had.
void precise_enter(precise_file *pf, uint32_t id, precise_section_kind kind);

// The same, noted as an event; 0 when memory ran out.
[[nodiscard]] int precise_section(precise_file *pf, uint32_t id, precise_section_kind kind,
                                  int64_t line);

// A label of the current section; 0 when memory ran out.
[[nodiscard]] int precise_label(precise_file *pf, uint32_t id, int64_t line);

// A name in an operand: noted as a data reference when it names a data label
// that is already known, in this file or an earlier one. 0 when memory ran
// out.
[[nodiscard]] int precise_operand(precise_file *pf, const char *text, size_t len, int64_t line);

// The end of the file: decides which labels are functions (with
// `need_announce`, only those announced or called; otherwise every label in
// code), defines them and the data labels, and records every call, jump and
// reference owned by a function. Returns 1, or 0 after a failure (noted).
[[nodiscard]] int precise_finish(precise_file *pf, bool need_announce);

// Notes in the run that `owner` names `canon` (a name as users know it) in
// an operand that no data label of the file or of an earlier one explains: a
// later file may define it as global data. 0 when memory ran out.
[[nodiscard]] int precise_defer(precise_file *pf, sym_id owner, uint32_t canon);

// The record of the file's own data label (NASM) named `text`, as users
// know it, if the file has one by now; else SYM_NONE.
sym_id precise_own_data(precise_file *pf, const char *text, size_t len);

// The end of a file whose data labels may be its own: the references it
// left waiting for the run that name one of them are charged to it now,
// and no longer wait. Returns 1, or 0 after a failure (noted).
[[nodiscard]] int precise_settle_file(precise_file *pf, int64_t line);

// The spelling `id` as users know it, also when it is another name (.set) of
// a symbol; a null view when memory ran out.
[[nodiscard]] std::string_view precise_own_name(precise_file *pf, uint32_t id);

// Notes in the run that the file made the spelling `id` a global name of
// the name as users know it `canon`: the end of the run sends other files'
// calls of it there. 0 when memory ran out.
[[nodiscard]] int precise_global_alias(precise_file *pf, uint32_t id, uint32_t canon);

// The length of the name `text` without a relocation suffix (`@PLT`) or a
// compiler clone's suffix (`.part.0`).
size_t precise_base_length(const char *text, size_t len);

// The function whose slot in the global offset table or the import table
// `text` names, as the file spells it, or an empty view when it names none:
// a PE import `__imp_f` names f's, and any name does when the relocation
// asked for its slot (`got`: f@GOTPCREL, NASM's `f wrt ..got`).
std::string_view precise_slot_function(const char *text, size_t len, bool got);

// True when a section of this name (NUL-terminated) holds code whatever its
// flags say: `.text` and its subsections (`.text.startup`).
inline bool precise_text_section(const char *name) {
  return std::strncmp(name, ".text", 5) == 0 && (name[5] == '\0' || name[5] == '.');
}

// For a reading that can decide as it goes (NASM's: every label in code is
// a function), the graph operations at once.
//
// The name as users know it of `text` (NUL-terminated, `len` bytes): `text`
// itself when there is nothing to take off or undo, else the table's copy;
// either way NUL-terminated. A null view when memory ran out.
[[nodiscard]] std::string_view precise_canon_text(precise_file *pf, const char *text, size_t len);

// Defines the function `name` (as users know it) on `line`, unless this file
// has defined it already (by a clone, say); returns the record that its calls
// are charged to, or SYM_NONE when memory ran out.
[[nodiscard]] sym_id precise_define_now(precise_file *pf, const char *name, int64_t line);

// Defines the data label `name` (as users know it) on `line`; SYM_NONE when
// memory ran out.
[[nodiscard]] sym_id precise_define_data(precise_file *pf, const char *name, int64_t line);

// Defines the data label of name `id` (as users know it) on `line` as the
// file's own, which only this file's references reach; returns its record,
// or SYM_NONE when memory ran out.
[[nodiscard]] sym_id precise_define_own_data(precise_file *pf, uint32_t id, int64_t line);

// Charges to `owner` a reference to the data label that `text` names, when
// the graph knows one of that name by now, else at the end of the run; a
// register or size word names none. `text` lies in a buffer of at least 8
// bytes. Returns 1, or 0 after a failure (noted).
[[nodiscard]] inline int precise_reference(precise_file *pf, sym_id owner, const char *text,
                                           size_t len, int64_t line);

// Charges to `owner` a call of `name` (as users know it). Returns 1, or 0
// after a failure (noted).
[[nodiscard]] int precise_call(precise_file *pf, sym_id owner, std::string_view name, int64_t line);

// Notes that memory ran out on `line`; returns 0.
int precise_nomem(precise_file *pf, int64_t line);

// Notes how a graph operation on `line` went; returns 1 when it went well.
int precise_status(precise_file *pf, scan_status status, int64_t line);

// The bytes of a name of at most 8 bytes that lies in a buffer of at least
// 8, zero-padded.
inline uint64_t precise_absent_key(const char *text, size_t len) {
  uint64_t key;
  std::memcpy(&key, text, 8);
  return len < 8 ? key & ((uint64_t{1} << (8 * len)) - 1) : key;
}

// The slot of `absent` for the name `text` (at most 8 bytes, in a buffer
// of at least 8), and whether it remembers the name as no data now.
inline precise_absent *precise_absent_slot(precise_file *pf, const char *text, size_t len,
                                           bool *known) {
  uint64_t key = precise_absent_key(text, len);
  precise_absent *absent = &pf->absent[((key + len) * pf->absent_mul) >> 56];
  // (A register's entry holds in every era.)
  *known = (absent->era == pf->data_era || absent->era == UINT32_MAX) && absent->key == key &&
           absent->len == len;
  return absent;
}

// The slot of `deferred` for the name `text` (as above), and whether it
// shows that a reference of `owner` to it would defer nothing new: the
// function was the last to defer it, and no data label came since.
inline precise_deferred *precise_deferred_slot(precise_file *pf, const char *text, size_t len,
                                               sym_id owner, bool *known) {
  uint64_t key = precise_absent_key(text, len);
  precise_deferred *d = &pf->deferred[((key + len) * pf->absent_mul) >> 56];
  *known = d->key == key && d->len == len && d->era == pf->data_era && d->len != 0 &&
           pf->names[d->canon].deferred_by == owner;
  return d;
}

// True when `text` (it may lie in the source buffer) is known to name no
// data now, so that `owner`'s reference to it is nothing; with SYM_NONE,
// only when it is known as a register or a size word.
inline bool precise_known_absent(precise_file *pf, const char *text, size_t len, sym_id owner) {
  if (len > 8 || std::endian::native != std::endian::little) return false;
  bool known;
  precise_absent_slot(pf, text, len, &known);
  if (!known && owner != SYM_NONE) precise_deferred_slot(pf, text, len, owner, &known);
  return known;
}

// precise_reference for a name that is not known to be absent; `absent` is
// the slot that remembers it if it is, and `deferred` the one that remembers
// its deferral, or both null.
[[nodiscard]] int precise_reference_lookup(precise_file *pf, sym_id owner, const char *text,
                                           size_t len, int64_t line, precise_absent *absent,
                                           precise_deferred *deferred);

// The same for a name that is no register or size word, or is written with
// NASM's "$" escape; `deferred` as above, or null.
[[nodiscard]] int precise_reference_name(precise_file *pf, sym_id owner, const char *text,
                                         size_t len, int64_t line, precise_deferred *deferred);

[[nodiscard]] inline int precise_reference(precise_file *pf, sym_id owner, const char *text,
                                           size_t len, int64_t line) {
  precise_absent *absent = nullptr;
  precise_deferred *deferred = nullptr;
  if (len <= 8 && std::endian::native == std::endian::little) {
    bool known;
    absent = precise_absent_slot(pf, text, len, &known);
    if (known) return 1;
    deferred = precise_deferred_slot(pf, text, len, owner, &known);
    if (known) return 1;
  }
  return precise_reference_lookup(pf, owner, text, len, line, absent, deferred);
}

// For the readings' own files: the table's hash of a name; whether a data
// label of the file has a name of this hash; the id of a name the file has
// met, else PRECISE_NONE; whether a name is as users know it already; the id
// of the name as users know it (PRECISE_NONE when memory ran out); and the
// graph's data label a name names, as users know it.
uint32_t precise_hash(const char *text, size_t len);
bool precise_data_bit(const precise_file *pf, uint32_t hash);
void precise_set_data_bit(precise_file *pf, uint32_t hash);
uint32_t precise_find_hashed(precise_file *pf, const char *text, size_t len, uint32_t hash);
bool precise_plain_name(const char *text, size_t len);
[[nodiscard]] uint32_t precise_canon_of(precise_file *pf, uint32_t id);
sym_result precise_graph_data(precise_file *pf, const char *text, size_t len);
