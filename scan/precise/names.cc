// The part of the precise readings that both dialects share: the file's table
// of names and log of events, the names as users know them, and the end of
// the file, where functions are told from other labels and calls are charged
// to the function that owns them.
#include <cxxabi.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "graph/index.h"
#include "memory/memory.h"
#include "scan/isa/x86_64.h"
#include "scan/lex/keys.h"
#include "scan/precise/reader.h"

namespace {
// The graph's hash of names serves the file's table as well.
uint32_t precise_hash(const char *text, size_t len) {
  return index_hash(text, len);
}

// A private copy of `text` in the file's arena; null when memory ran out.
char *arena_copy(precise_file *pf, const char *text, size_t len) {
  if (pf->arena == nullptr || pf->arena_used + len + 1 > pf->arena_cap) {
    size_t cap = sizeof(char *) + len + 1;
    if (cap < (1 << 16)) cap = 1 << 16;
    char *block = static_cast<char *>(mem_alloc(cap));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &pf->arena, sizeof(char *));
    pf->arena = block;
    pf->arena_used = sizeof(char *);
    pf->arena_cap = cap;
  }
  char *copy = pf->arena + pf->arena_used;
  std::memcpy(copy, text, len);
  copy[len] = '\0';
  pf->arena_used += len + 1;
  return copy;
}

// False when no data label of the file has a name with this hash.
bool data_bit(const precise_file *pf, uint32_t hash) {
  return (pf->data_bits[hash / 64 % PRECISE_DATA_WORDS] >> (hash % 64)) & 1;
}

precise_slot *slot_of(const precise_file *pf, const char *text, size_t len, uint32_t hash) {
  uint32_t mask = pf->nslots - 1;
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    precise_slot *slot = &pf->slots[i];
    if (slot->id == 0) return slot;
    if (slot->hash != hash) continue;
    const precise_name &n = pf->names[slot->id - 1];
    if (n.len == len && std::memcmp(n.text, text, len) == 0) return slot;
  }
}

// Doubles the table when it is half full; 0 when memory ran out.
int names_reserve(precise_file *pf) {
  if (pf->count < pf->cap && pf->count < pf->nslots / 2) return 1;
  uint32_t cap = pf->cap * 2;
  auto *names = static_cast<precise_name *>(mem_realloc(pf->names, cap * sizeof(precise_name)));
  if (names == nullptr) return 0;
  pf->names = names;
  pf->cap = cap;
  auto *slots = static_cast<precise_slot *>(mem_alloc(2 * size_t{cap} * sizeof(precise_slot)));
  if (slots == nullptr) return 0;
  std::memset(slots, 0, 2 * size_t{cap} * sizeof(precise_slot));
  mem_free(pf->slots);
  pf->slots = slots;
  pf->nslots = 2 * cap;
  for (uint32_t id = 0; id < pf->count; ++id) {
    const precise_name &n = pf->names[id];
    *slot_of(pf, n.text, n.len, n.hash) = precise_slot{n.hash, id + 1};
  }
  return 1;
}

// True when `word` is one of `words`.
template <size_t N>
bool word_in(const std::string_view (&words)[N], std::string_view word) {
  for (std::string_view w : words) {
    if (w == word) return true;
  }
  return false;
}

// Compiler clones: gcc writes a part, a copy or a cold half of `f` under
// `f.part.0`, `f.constprop.0`, `f.cold`, ...; clang adds `f.llvm.<hash>`.
constexpr std::string_view clone_words[] = {
    "part",  "cold", "constprop", "isra",        "lto_priv", "localalias",
    "clone", "llvm", "ipa_sra",   "specialized", "resolver", "interposable_alias"};

// The suffixes of a relocation (`foo@PLT`).
constexpr std::string_view reloc_words[] = {"PLT",    "GOTPCREL", "GOT", "GOTOFF",  "PLTOFF",
                                            "GOTPLT", "plt",      "got", "gotpcrel"};

}  // namespace

size_t precise_base_length(const char *text, size_t len) {
  const char *at = static_cast<const char *>(std::memchr(text, '@', len));
  if (at != nullptr && at > text &&
      word_in(reloc_words, std::string_view(at + 1, len - static_cast<size_t>(at + 1 - text)))) {
    len = static_cast<size_t>(at - text);
  }
  for (size_t i = 1; i < len; ++i) {
    if (text[i] != '.') continue;
    size_t end = i + 1;
    while (end < len && text[end] != '.')
      ++end;
    if (word_in(clone_words, std::string_view(text + i + 1, end - i - 1))) return i;
  }
  return len;
}

namespace {
size_t base_length(const char *text, size_t len) {
  return precise_base_length(text, len);
}

// True when a name is as users know it already: no suffix to take off, no
// mangling to undo.
bool plain_name(const char *text, size_t len) {
  if (len > 2 && text[0] == '_' && text[1] == 'Z') return false;
  for (size_t i = 1; i < len; ++i) {
    if (text[i] == '.' || text[i] == '@') return false;
  }
  return true;
}

// The id of the name as users know it: without relocation and clone
// suffixes, and demangled. PRECISE_NONE when memory ran out.
uint32_t canon_of(precise_file *pf, uint32_t id) {
  if (pf->names[id].flags & PN_CANON) return pf->names[id].canon;
  const char *text = pf->names[id].text;
  size_t len = base_length(text, pf->names[id].len);
  uint32_t canon = id;
  if (len > 2 && text[0] == '_' && text[1] == 'Z') {
    // The demangler wants the name alone, NUL-terminated.
    char *bare = mem_strndup(text, len);
    if (bare == nullptr) return PRECISE_NONE;
    int status = 0;
    char *readable = abi::__cxa_demangle(bare, nullptr, nullptr, &status);
    mem_free(bare);
    // Its memory comes from malloc, outside the seam: copied, then freed.
    if (status == -1) return PRECISE_NONE;
    if (status == 0 && readable != nullptr) {
      canon = precise_intern(pf, readable, std::strlen(readable));
      std::free(readable);
    } else if (len != pf->names[id].len) {
      canon = precise_intern(pf, text, len);
    }
  } else if (len != pf->names[id].len) {
    canon = precise_intern(pf, text, len);
  }
  if (canon == PRECISE_NONE) return PRECISE_NONE;
  pf->names[id].canon = canon;
  pf->names[id].flags |= PN_CANON;
  pf->names[canon].canon = canon;
  pf->names[canon].flags |= PN_CANON;
  return canon;
}

// The data label of the graph that the name `text` names, as users know it;
// SYM_NONE when there is none, or when memory ran out (then *nomem is set).
sym_id graph_data(precise_file *pf, const char *text, size_t len, bool *nomem) {
  if (pf->graph->cg_index == nullptr) return SYM_NONE;  // an empty graph knows no data
  if (plain_name(text, len)) return sym_lookup_data(pf->graph, text, len);
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : canon_of(pf, id);
  if (canon == PRECISE_NONE) {
    *nomem = true;
    return SYM_NONE;
  }
  return sym_lookup_data(pf->graph, pf->names[canon].text, pf->names[canon].len);
}

// The graph's first record of a name as users know it, looked up once.
sym_id first_record(precise_file *pf, uint32_t canon) {
  precise_name &n = pf->names[canon];
  if (n.sym == SYM_NONE) n.sym = sym_lookup(pf->graph, n.text);
  return n.sym;
}

// Defines the function that the label `id` names, once per file; returns
// the id of its name as users know it, or PRECISE_NONE after a failure (noted).
uint32_t define_function(precise_file *pf, uint32_t id, int64_t line) {
  uint32_t canon = canon_of(pf, id);
  if (canon == PRECISE_NONE) return precise_nomem(pf, line), PRECISE_NONE;
  precise_name &n = pf->names[canon];
  if (!(n.flags & PN_DEFINED)) {
    if (sym_add(pf->graph, true, n.text, pf->file, n.line >= 0 ? n.line : line) == SYM_NONE) {
      return precise_nomem(pf, line), PRECISE_NONE;
    }
    n.flags |= PN_DEFINED;
    n.sym = SYM_NONE;  // a declaration may have been the first record; look again
  }
  return canon;
}

// Functions among the labels, and the line each one is defined on: that of
// its own label, else that of its first clone.
int decide_functions(precise_file *pf, bool need_announce) {
  for (uint32_t id = 0; id < pf->count; ++id) {
    uint32_t flags = pf->names[id].flags;
    if ((flags & PN_CODE_LABEL) && (!need_announce || (flags & (PN_ANNOUNCED | PN_CALLED)))) {
      pf->names[id].flags |= PN_FUNC;
    }
  }
  uint32_t count = pf->count;  // canonical names added below need no visit
  for (uint32_t id = 0; id < count; ++id) {
    if (!(pf->names[id].flags & PN_FUNC)) continue;
    uint32_t canon = canon_of(pf, id);
    if (canon == PRECISE_NONE) return 0;
    precise_name &c = pf->names[canon];
    if (canon != id && !(c.flags & PN_FUNC) && (c.line < 0 || pf->names[id].line < c.line)) {
      c.line = pf->names[id].line;
    }
  }
  return 1;
}

int charge(precise_file *pf, uint32_t owner, sym_id target, int64_t line) {
  sym_id caller = first_record(pf, owner);
  return precise_status(pf, scan_charge(pf->graph, caller, target), line);
}

// Replays one event with the function that owns it.
int replay(precise_file *pf, const precise_event &ev, uint32_t *owner, uint8_t *kind) {
  switch (ev.kind) {
    case PE_SECTION:
      if (pf->section != PRECISE_NONE) pf->names[pf->section].owner = *owner;
      pf->section = ev.id;
      *kind = static_cast<uint8_t>(ev.arg);
      *owner = ev.id == PRECISE_NONE ? PRECISE_NONE : pf->names[ev.id].owner;
      return 1;
    case PE_LABEL:
      if (*kind == SEC_CODE && (pf->names[ev.id].flags & PN_FUNC)) {
        *owner = define_function(pf, ev.id, ev.line);
        return *owner != PRECISE_NONE;
      }
      if (*kind == SEC_DATA) {
        uint32_t canon = canon_of(pf, ev.id);
        if (canon == PRECISE_NONE ||
            precise_define_data(pf, pf->names[canon].text, ev.line) == SYM_NONE) {
          return precise_nomem(pf, ev.line);
        }
        pf->names[canon].sym = SYM_NONE;
      }
      return 1;
    default:
      break;
  }
  if (*owner == PRECISE_NONE) return 1;  // no function owns it
  uint32_t flags = pf->names[ev.id].flags;
  uint32_t canon = canon_of(pf, ev.id);
  if (canon == PRECISE_NONE) return precise_nomem(pf, ev.line);
  precise_name &n = pf->names[canon];
  if (ev.kind == PE_REF) {
    sym_id sym = first_record(pf, canon);
    return sym == SYM_NONE || graph_sym(pf->graph, sym).s_func ? 1
                                                               : charge(pf, *owner, sym, ev.line);
  }
  // A jump is a tail call when it leaves the function for another one, or
  // for a name that this file does not define.
  if (ev.kind == PE_JUMP && (canon == *owner || ((flags & PN_LABEL) && !(flags & PN_FUNC)))) {
    return 1;
  }
  if (n.sym == SYM_NONE) {
    n.sym = sym_find_or_declare(pf->graph, n.text, n.len, pf->file);
    if (n.sym == SYM_NONE) return precise_nomem(pf, ev.line);
  }
  return charge(pf, *owner, n.sym, ev.line);
}
}  // namespace

int precise_begin(precise_file *pf, call_graph *graph, const char *file) {
  *pf = precise_file{};
  pf->graph = graph;
  pf->file = file;
  pf->section = PRECISE_NONE;
  pf->data_era = 1;
  pf->cap = 128;
  pf->nslots = 256;
  pf->evcap = 256;
  // One allocation after another, each checked: a failure ends the run at once.
  pf->names = static_cast<precise_name *>(mem_alloc(pf->cap * sizeof(precise_name)));
  if (pf->names != nullptr) {
    pf->slots = static_cast<precise_slot *>(mem_alloc(pf->nslots * sizeof(precise_slot)));
  }
  if (pf->slots != nullptr) {
    pf->events = static_cast<precise_event *>(mem_alloc(pf->evcap * sizeof(precise_event)));
  }
  if (pf->events == nullptr) {
    precise_release(pf);
    return 0;
  }
  std::memset(pf->slots, 0, pf->nslots * sizeof(precise_slot));
  uint32_t text = precise_intern(pf, ".text", 5);
  if (text != PRECISE_NONE && precise_section(pf, text, SEC_CODE, 1)) return 1;
  precise_release(pf);
  return 0;
}

void precise_release(precise_file *pf) {
  mem_free(pf->names);
  mem_free(pf->slots);
  mem_free(pf->events);
  while (pf->arena != nullptr) {
    char *prev;
    std::memcpy(&prev, pf->arena, sizeof(char *));
    mem_free(pf->arena);
    pf->arena = prev;
  }
  *pf = precise_file{};
}

// The id of the name with this hash if the file has met it, else
// PRECISE_NONE; the names met lately are found without a look at the table.
static uint32_t find_hashed(precise_file *pf, const char *text, size_t len, uint32_t hash) {
  precise_slot *recent = &pf->recent[hash % PRECISE_RECENT];
  if (recent->id != 0 && recent->hash == hash) {
    const precise_name &n = pf->names[recent->id - 1];
    if (n.len == len && std::memcmp(n.text, text, len) == 0) return recent->id - 1;
  }
  precise_slot *slot = slot_of(pf, text, len, hash);
  if (slot->id == 0) return PRECISE_NONE;
  *recent = *slot;
  return slot->id - 1;
}

uint32_t precise_intern(precise_file *pf, const char *text, size_t len) {
  uint32_t hash = precise_hash(text, len);
  uint32_t known = find_hashed(pf, text, len, hash);
  if (known != PRECISE_NONE) return known;
  if (len > UINT32_MAX || pf->count == PRECISE_NONE - 1) return PRECISE_NONE;
  if (!names_reserve(pf)) return PRECISE_NONE;
  char *copy = arena_copy(pf, text, len);
  if (copy == nullptr) return PRECISE_NONE;
  uint32_t id = pf->count++;
  pf->names[id] = precise_name{
      copy, static_cast<uint32_t>(len), hash, 0, id, PRECISE_NONE, SEC_UNKNOWN, -1, SYM_NONE};
  pf->recent[hash % PRECISE_RECENT] = *slot_of(pf, text, len, hash) = precise_slot{hash, id + 1};
  return id;
}

int precise_note(precise_file *pf, precise_event_kind kind, uint32_t id, int64_t line,
                 uint32_t arg) {
  if (pf->nevents == pf->evcap) {
    auto *events = static_cast<precise_event *>(
        mem_realloc(pf->events, 2 * pf->evcap * sizeof(precise_event)));
    if (events == nullptr) return 0;
    pf->events = events;
    pf->evcap *= 2;
  }
  pf->events[pf->nevents++] = precise_event{kind, arg, id, line};
  return 1;
}

void precise_enter(precise_file *pf, uint32_t id, precise_section_kind kind) {
  if (id != PRECISE_NONE) {
    precise_name &n = pf->names[id];
    if (kind != SEC_UNKNOWN) n.sec_kind = kind;
    // A section that the file never said more of holds data.
    if (n.sec_kind == SEC_UNKNOWN) n.sec_kind = SEC_DATA;
    kind = static_cast<precise_section_kind>(n.sec_kind);
  }
  pf->section = id;
  pf->sec_kind = kind;
}

int precise_section(precise_file *pf, uint32_t id, precise_section_kind kind, int64_t line) {
  precise_enter(pf, id, kind);
  return precise_note(pf, PE_SECTION, id, line, pf->sec_kind);
}

int precise_label(precise_file *pf, uint32_t id, int64_t line) {
  precise_name &n = pf->names[id];
  n.flags |= PN_LABEL;
  if (pf->sec_kind == SEC_CODE) {
    n.flags |= PN_CODE_LABEL;
    if (n.line < 0) n.line = line;
  } else if (pf->sec_kind == SEC_DATA) {
    n.flags |= PN_DATA;
    pf->data_bits[n.hash / 64 % PRECISE_DATA_WORDS] |= uint64_t{1} << (n.hash % 64);
  } else {
    return 1;
  }
  return precise_note(pf, PE_LABEL, id, line);
}

int precise_operand(precise_file *pf, const char *text, size_t len, int64_t line) {
  uint32_t hash = precise_hash(text, len);
  uint32_t id = data_bit(pf, hash) ? find_hashed(pf, text, len, hash) : PRECISE_NONE;
  if (id == PRECISE_NONE || !(pf->names[id].flags & PN_DATA)) {
    // A data label of an earlier file?
    bool nomem = false;
    if (graph_data(pf, text, len, &nomem) == SYM_NONE) return !nomem;
    if (id == PRECISE_NONE) id = precise_intern(pf, text, len);
    if (id == PRECISE_NONE) return 0;
  }
  return precise_note(pf, PE_REF, id, line);
}

std::string_view precise_canon_text(precise_file *pf, const char *text, size_t len) {
  if (plain_name(text, len)) return {text, len};
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : canon_of(pf, id);
  if (canon == PRECISE_NONE) return {};
  return {pf->names[canon].text, pf->names[canon].len};
}

sym_id precise_define_now(precise_file *pf, const char *name, int64_t line) {
  call_graph *graph = pf->graph;
  sym_id first = sym_lookup(graph, name);
  // Once per file: a clone (f.cold) after its function, or before it.
  if (first != SYM_NONE) {
    const symbol &sym = graph_sym(graph, first);
    if (sym.s_line != -1 && std::strcmp(sym.s_file, pf->file) == 0) return first;
  }
  sym_id made = sym_add(graph, true, name, pf->file, line);
  if (made == SYM_NONE) return SYM_NONE;
  return first != SYM_NONE ? first : made;
}

sym_id precise_define_data(precise_file *pf, const char *name, int64_t line) {
  pf->data_era++;
  return sym_add(pf->graph, false, name, pf->file, line);
}

int precise_reference_lookup(precise_file *pf, sym_id owner, const char *text, size_t len,
                             int64_t line, precise_absent *absent) {
  bool nomem = false;
  sym_id data = graph_data(pf, text, len, &nomem);
  if (nomem) return precise_nomem(pf, line);
  if (data != SYM_NONE) return precise_status(pf, scan_charge(pf->graph, owner, data), line);
  // Only a plain name was looked up as it stands, with no name of the
  // file's table made for it.
  if (absent != nullptr && plain_name(text, len)) {
    *absent =
        precise_absent{precise_absent_key(text, len), static_cast<uint32_t>(len), pf->data_era};
  }
  return 1;
}

int precise_call(precise_file *pf, sym_id owner, std::string_view name, int64_t line) {
  sym_id target = sym_find_or_declare(pf->graph, name.data(), name.size(), pf->file);
  if (target == SYM_NONE) return precise_nomem(pf, line);
  return precise_status(pf, scan_charge(pf->graph, owner, target), line);
}

int precise_nomem(precise_file *pf, int64_t line) {
  return precise_status(pf, scan_status::nomem, line);
}

int precise_status(precise_file *pf, scan_status status, int64_t line) {
  if (status == scan_status::done) return 1;
  pf->status = status;
  pf->fail_line = line;
  return 0;
}

scan_result precise_result(const precise_lexer *lx, bool ok) {
  if (ok) return scan_result{scan_status::done, lx->line};
  return scan_result{lx->pf.status, lx->pf.fail_line};
}

int precise_finish(precise_file *pf, bool need_announce) {
  if (!decide_functions(pf, need_announce)) {
    int64_t line = pf->nevents ? pf->events[pf->nevents - 1].line : 1;
    return precise_nomem(pf, line);
  }
  pf->section = PRECISE_NONE;
  uint32_t owner = PRECISE_NONE;
  uint8_t kind = SEC_CODE;
  for (size_t i = 0; i < pf->nevents; ++i) {
    if (!replay(pf, pf->events[i], &owner, &kind)) return 0;
  }
  return 1;
}

int precise_read_name_rest(precise_lexer *lx, int first, unsigned chars, const unsigned char *p) {
  scan_source *src = lx->src;
  scan_word *word = &lx->word;
  const unsigned char *start = src->buf + src->pos;
  const unsigned char *stop =
      simd_run_end(lx->chars->kernel, p, syntax_classes.cls, static_cast<unsigned char>(chars));
  auto size = static_cast<size_t>(stop - start);
  src->pos += size;
  if (src_drained(src) || word->w_cap <= size + 1 + SRC_PAD) {
    word_result r =
        read_word_rest(src, lx->chars, first, {reinterpret_cast<const char *>(start), size}, word,
                       static_cast<unsigned char>(chars));
    if (r == WORD_NOMEM) return 0;
    if (r == WORD_EOF) {
      word->w_text[word->w_len] = '\0';  // room was made for it
      lx->eof = true;
    }
    return 1;
  }
  // The run ends before the end of the data, and the word buffer has room
  // for 16-byte copies: they stay inside the padded buffers.
  char *out = word->w_text;
  *out++ = static_cast<char>(first);
  for (size_t i = 0; i < size; i += 16)
    std::memcpy(out + i, start + i, 16);
  out[size] = '\0';
  word->w_len = size + 1;
  return 1;
}

namespace {
using keyword_table = lex_keywords<uint32_t, 24, 512, true>;

constexpr keyword_table make_keyword_tables() {
  keyword_table t{};
  t.add(x86_64_isa.calls, KW_CALL);
  t.add(x86_64_isa.jumps, KW_JUMP);
  t.add(x86_64_isa.cond_jumps, KW_JUMP);
  t.add(x86_64_isa.prefixes, KW_PREFIX);
  t.add(x86_64_isa.size_words, KW_SIZE);
  t.add(x86_64_isa.registers, KW_REGISTER);
  t.add("db dw dd dq dt do dy dz resb resw resd resq rest reso resy resz times equ incbin",
        KW_DATA);
  t.add("section segment", KW_SECTION);
  t.add("struc absolute", KW_STRUC);
  t.add("endstruc", KW_ENDSTRUC);
  t.add(
      "global extern common static bits default cpu org align alignb istruc iend "
      "use16 use32 use64 float warning required cextern cvisible",
      KW_DIRECTIVE);
  t.add("cglobal", KW_CGLOBAL);
  t.add("exec", KW_EXEC);
  t.add("noexec", KW_NOEXEC);
  t.add("function stt_func gnu_indirect_function stt_gnu_ifunc", KW_FUNC_TYPE);
  t.add("macro imacro rmacro irmacro .macro", KW_MACRO);
  t.add("endmacro endm .endm", KW_ENDMACRO);
  t.add(".text", KW_TEXT);
  t.add(".data .bss", KW_DATASEC);
  t.add(".section", KW_SECTION_DIR);
  t.add(".pushsection", KW_PUSHSECTION);
  t.add(".popsection", KW_POPSECTION);
  t.add(".previous", KW_PREVIOUS);
  t.add(".globl .global .weak", KW_ANNOUNCE);
  t.add(".type", KW_TYPE);
  t.add(".intel_syntax", KW_INTEL);
  t.add(".att_syntax", KW_ATT);
  return t;
}

constexpr keyword_table keywords = make_keyword_tables();
}  // namespace

uint32_t precise_keyword(const scan_word &word, uint32_t kinds) {
  // The word buffer never holds fewer than 32 bytes; a word of one byte has
  // its NUL second.
  return keywords.find(word.w_text, word.w_len, kinds);
}

int precise_skip_line(precise_lexer *lx) {
  src_skip_to(lx->src, '\n');
  int c = src_get(lx->src);
  if (c == '\n') lx->line++;
  return c;
}

int precise_lexer_begin(precise_lexer *lx, const lex_chars *chars, call_graph *graph,
                        scan_source *src, const char *file) {
  lx->chars = chars;
  lx->src = src;
  lx->word = scan_word{nullptr, 0, 0};
  lx->line = 1;
  lx->eof = false;
  return precise_begin(&lx->pf, graph, file);
}

void precise_lexer_end(precise_lexer *lx) {
  precise_release(&lx->pf);
  mem_free(lx->word.w_text);
  lx->word = scan_word{nullptr, 0, 0};
}
