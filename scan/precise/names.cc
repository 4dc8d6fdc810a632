// The file's table of names: each distinct name once, in an arena, with the
// name as users know it (no relocation or clone suffix, demangled) beside it.
#include "scan/precise/names.h"

#include <cstring>

#include "graph/index.h"
#include "memory/memory.h"
#include "scan/isa/x86_64.h"
#include "scan/lex/keys.h"
#include "scan/precise/demangle.h"

namespace {
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

precise_slot *slot_of(const precise_file *pf, const char *text, size_t len, uint32_t hash) {
  size_t mask = pf->nslots - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    precise_slot *slot = &pf->slots[i];
    if (slot->id == 0) return slot;
    if (slot->hash != hash) continue;
    const precise_name &n = pf->names[slot->id - 1];
    if (n.len == len && std::memcmp(n.text, text, len) == 0) return slot;
  }
}

// The most names a file's table holds: ids stay below PRECISE_NONE, and its
// sizes in size_t never wrap.
constexpr size_t PRECISE_MAX_NAMES = size_t{1} << 31;

// Doubles the table when it is half full; 0 when memory ran out or the
// table is as large as it may grow.
int names_reserve(precise_file *pf) {
  if (pf->count < pf->cap && pf->count < pf->nslots / 2) return 1;
  if (pf->cap >= PRECISE_MAX_NAMES) return 0;
  size_t cap = pf->cap * 2;
  auto *names = static_cast<precise_name *>(mem_realloc(pf->names, cap * sizeof(precise_name)));
  if (names == nullptr) return 0;
  pf->names = names;
  pf->cap = cap;
  size_t nslots = 2 * cap;
  auto *slots = static_cast<precise_slot *>(mem_alloc(nslots * sizeof(precise_slot)));
  if (slots == nullptr) return 0;
  std::memset(slots, 0, nslots * sizeof(precise_slot));
  mem_free(pf->slots);
  pf->slots = slots;
  pf->nslots = nslots;
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

size_t base_length(const char *text, size_t len) {
  return precise_base_length(text, len);
}
}  // namespace

// The graph's hash of names serves the file's table as well.
uint32_t precise_hash(const char *text, size_t len) {
  return index_hash(text, len);
}

// False when no data label of the file has a name with this hash.
bool precise_data_bit(const precise_file *pf, uint32_t hash) {
  return (pf->data_bits[hash / 64 % PRECISE_DATA_WORDS] >> (hash % 64)) & 1;
}

void precise_set_data_bit(precise_file *pf, uint32_t hash) {
  pf->data_bits[hash / 64 % PRECISE_DATA_WORDS] |= uint64_t{1} << (hash % 64);
}

sym_id precise_own_data(precise_file *pf, const char *text, size_t len) {
  uint32_t hash = precise_hash(text, len);
  if (!precise_data_bit(pf, hash)) return SYM_NONE;
  uint32_t id = precise_find_hashed(pf, text, len, hash);
  if (id == PRECISE_NONE || !(pf->names[id].flags & PN_LOCAL_DATA)) return SYM_NONE;
  return pf->names[id].sym;
}

size_t precise_base_length(const char *text, size_t len) {
  const char *at = static_cast<const char *>(std::memchr(text, '@', len));
  if (at != nullptr && at > text &&
      lex_list_has(x86_64_isa.reloc_suffixes,
                   std::string_view(at + 1, len - static_cast<size_t>(at + 1 - text)))) {
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

std::string_view precise_slot_function(const char *text, size_t len, bool got) {
  static constexpr std::string_view imp = "__imp_";
  if (len > imp.size() && std::string_view(text, imp.size()) == imp) {
    return {text + imp.size(), len - imp.size()};
  }
  return got ? std::string_view(text, len) : std::string_view();
}

// True when a name is as users know it already: no suffix to take off, no
// mangling to undo.
bool precise_plain_name(const char *text, size_t len) {
  if (len > 2 && text[0] == '_' && text[1] == 'Z') return false;
  for (size_t i = 1; i < len; ++i) {
    if (text[i] == '.' || text[i] == '@') return false;
  }
  return true;
}

namespace {
// The id of the name as users know the spelling `id`: without relocation and
// clone suffixes, and demangled. PRECISE_NONE when memory ran out.
uint32_t canon_made(precise_file *pf, uint32_t id) {
  const char *text = pf->names[id].text;
  size_t len = base_length(text, pf->names[id].len);
  // Mach-O writes each C name with one "_" before it.
  if (pf->lead_underscore && len > 1 && text[0] == '_') ++text, --len;
  bool cut = len != pf->names[id].len;
  uint32_t canon = id;
  if (len > 2 && text[0] == '_' && text[1] == 'Z') {
    bool nomem = false;
    size_t readable_len = 0;
    char *readable = demangle_name(text, len, &readable_len, &nomem);
    if (nomem) return PRECISE_NONE;
    if (readable != nullptr) {
      canon = precise_intern(pf, readable, readable_len);
      mem_free(readable);
    } else if (cut) {
      canon = precise_intern(pf, text, len);
    }
  } else if (cut) {
    canon = precise_intern(pf, text, len);
  }
  return canon;
}
}  // namespace

uint32_t precise_canon_of(precise_file *pf, uint32_t id) {
  if (pf->names[id].flags & PN_CANON) return pf->names[id].canon;
  uint32_t canon = canon_made(pf, id);
  if (canon == PRECISE_NONE) return PRECISE_NONE;
  pf->names[id].canon = canon;
  pf->names[id].flags |= PN_CANON;
  pf->names[canon].canon = canon;
  pf->names[canon].flags |= PN_CANON;
  return canon;
}

// The id of the name with this hash if the file has met it, else
// PRECISE_NONE; the names met lately are found without a look at the table.
uint32_t precise_find_hashed(precise_file *pf, const char *text, size_t len, uint32_t hash) {
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
  uint32_t known = precise_find_hashed(pf, text, len, hash);
  if (known != PRECISE_NONE) return known;
  if (len > UINT32_MAX || pf->count == PRECISE_NONE - 1) return PRECISE_NONE;
  if (!names_reserve(pf)) return PRECISE_NONE;
  char *copy = arena_copy(pf, text, len);
  if (copy == nullptr) return PRECISE_NONE;
  uint32_t id = pf->count++;
  pf->names[id] = precise_name{
      copy,    static_cast<uint32_t>(len), hash, 0, id, PRECISE_NONE, SEC_UNKNOWN, -1, SYM_NONE, 0,
      SYM_NONE};
  pf->recent[hash % PRECISE_RECENT] = *slot_of(pf, text, len, hash) = precise_slot{hash, id + 1};
  return id;
}

std::string_view precise_own_name(precise_file *pf, uint32_t id) {
  uint32_t own = canon_made(pf, id);
  if (own == PRECISE_NONE) return {};
  return {pf->names[own].text, pf->names[own].len};
}

std::string_view precise_canon_text(precise_file *pf, const char *text, size_t len) {
  if (precise_plain_name(text, len)) return {text, len};
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : precise_canon_of(pf, id);
  if (canon == PRECISE_NONE) return {};
  return {pf->names[canon].text, pf->names[canon].len};
}

int precise_begin(precise_file *pf, scan_run *run, const char *file) {
  *pf = precise_file{};
  pf->graph = run->graph;
  pf->run = run;
  pf->first_ref = run->nrefs;
  pf->file = file;
  pf->section = PRECISE_NONE;
  pf->data_era = 1;
  pf->absent_mul = index_hash_keys.k_small_mul;
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
