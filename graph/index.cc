#include "graph/index.h"

#include <cstring>

#include "memory/memory.h"

namespace {
constexpr size_t TABLE_MIN_CAP = 64;

// Tables grow before they are more than 5/8 full: misses, the common case of
// a lookup, stay short.
bool table_too_full(size_t count, size_t cap) {
  return count * 8 > cap * 5;
}

uint64_t index_load8(const char *p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

uint32_t index_load4(const char *p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Both halves of the 128-bit product of `a` and `b`, folded together: every
// bit of either factor reaches the low bits that pick a slot.
uint64_t index_fold(uint64_t a, uint64_t b) {
  __extension__ typedef unsigned __int128 wide;
  wide p = static_cast<wide>(a) * b;
  return static_cast<uint64_t>(p) ^ static_cast<uint64_t>(p >> 64);
}

size_t pair_hash(uint32_t caller, uint32_t key) {
  const index_keys &k = index_hash_keys;
  return static_cast<size_t>(index_fold((uint64_t{caller} << 32 | key) ^ k.k_pair, k.k_pair_mul));
}

uint64_t slot_bits(const name_slot &s) {
  uint64_t v;
  std::memcpy(&v, s.n_bits, 8);
  return v;
}

uint32_t slot_class(const name_slot &s) {
  return s.n_tag >> NAME_CLASS_SHIFT;
}

// Where a key belongs in the name table.
size_t key_place(uint64_t bits, uint32_t cls) {
  const index_keys &k = index_hash_keys;
  return static_cast<size_t>(index_fold(bits ^ k.k_place, cls ^ k.k_class));
}

bool slot_empty(const name_slot &s) {
  return s.n_tag == 0;
}

size_t slot_hash(const name_slot &s) {
  return key_place(slot_bits(s), slot_class(s));
}

bool slot_empty(const file_slot &s) {
  return s.f_file == nullptr;
}

size_t slot_hash(const file_slot &s) {
  return static_cast<size_t>(s.f_file->f_hash);
}

uint32_t pair_key(const pair_slot &s) {
  return s.p_key >> PAIR_SHIFT;
}

bool slot_empty(const pair_slot &s) {
  return s.p_caller == 0;
}

size_t slot_hash(const pair_slot &s) {
  return pair_hash(s.p_caller, pair_key(s));
}

// The slot that `match` accepts, or the empty slot where the probe for
// `hash` ends. The table must have slots.
template <class Slot, class Match>
Slot *table_probe(const probe_table<Slot> &t, size_t hash, Match match) {
  size_t mask = t.t_cap - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot *s = &t.t_slots[i];
    if (slot_empty(*s) || match(*s)) return s;
  }
}

// The empty slot where the probe for `hash` ends: the place of a new entry.
template <class Slot>
Slot *table_vacancy(const probe_table<Slot> &t, size_t hash) {
  return table_probe(t, hash, [](const Slot &) { return false; });
}

// Makes room for `n` more entries; false when memory is exhausted (the table
// is then as it was).
template <class Slot>
bool table_reserve(probe_table<Slot> *t, size_t n) {
  size_t cap = t->t_cap ? t->t_cap : TABLE_MIN_CAP;
  while (table_too_full(t->t_count + n, cap))
    cap *= 2;
  if (cap == t->t_cap) return true;
  probe_table<Slot> grown{static_cast<Slot *>(mem_alloc(cap * sizeof(Slot))), cap, t->t_count};
  if (grown.t_slots == nullptr) return false;
  std::memset(grown.t_slots, 0, cap * sizeof(Slot));
  for (size_t j = 0; j < t->t_cap; ++j) {
    const Slot &old = t->t_slots[j];
    if (!slot_empty(old)) *table_vacancy(grown, slot_hash(old)) = old;
  }
  mem_free(t->t_slots);
  *t = grown;
  return true;
}

// True when record `id` bears the name of `len` bytes at `name`.
bool sym_named(index_records recs, sym_id id, const char *name, size_t len) {
  const symbol &sym = recs.syms[id];
  return sym.s_namelen == len && std::memcmp(recs.names + sym.s_name, name, len) == 0;
}

// True when `s` holds the name of `len` bytes at `name`, whose key is `key`.
bool slot_names(index_records recs, const name_slot &s, const char *name, size_t len,
                const name_key &key) {
  if (slot_class(s) != key.k_class || slot_bits(s) != key.k_bits) return false;
  return key.k_class != NAME_LONG || sym_named(recs, index_slot_sym(&s), name, len);
}

name_slot key_slot(const name_key &key, sym_id sym) {
  name_slot s;
  s.n_tag = key.k_class << NAME_CLASS_SHIFT | sym;
  std::memcpy(s.n_bits, &key.k_bits, 8);
  return s;
}
}  // namespace

namespace {
// The next of a sequence of well-mixed numbers from `state` (splitmix64).
uint64_t index_next_key(uint64_t *state) {
  uint64_t z = (*state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

constexpr uint64_t INDEX_FIRST_SEED = 0x243f6a8885a308d3ull;

index_keys index_keys_of(uint64_t seed) {
  index_keys k;
  uint64_t *all[] = {&k.k_len,      &k.k_chunk,    &k.k_chain,    &k.k_last,
                     &k.k_final,    &k.k_place,    &k.k_class,    &k.k_pair,
                     &k.k_pair_mul, &k.k_data_mul, &k.k_small_mul};
  for (uint64_t *key : all)
    *key = index_next_key(&seed);
  k.k_pair_mul |= 1;
  k.k_data_mul |= 1;
  k.k_small_mul |= 1;
  return k;
}
}  // namespace

// Keys that serve until a run seeds its own: tests of the graph alone see the
// same placement every time.
index_keys index_hash_keys = index_keys_of(INDEX_FIRST_SEED);

void index_seed(uint64_t seed) {
  index_hash_keys = index_keys_of(seed);
}

size_t index_place(const name_key &key) {
  return key_place(key.k_bits, key.k_class);
}

uint64_t index_name_hash(const char *name, size_t len) {
  // Names are short: a few fixed-size loads, which may overlap, and one
  // multiplication for each eight bytes.
  const index_keys &k = index_hash_keys;
  uint64_t h = len ^ k.k_len;
  uint64_t v;
  if (len > 8) {
    while (len > 8) {
      h = index_fold(index_load8(name) ^ k.k_chunk, h ^ k.k_chain);
      name += 8;
      len -= 8;
    }
    v = index_load8(name + len - 8);
  } else if (len >= 4) {
    v = uint64_t{index_load4(name)} << 32 | index_load4(name + len - 4);
  } else if (len > 0) {
    auto byte = [&](size_t i) { return uint64_t{static_cast<unsigned char>(name[i])}; };
    v = byte(0) << 16 | byte(len / 2) << 8 | byte(len - 1);
  } else {
    v = 0;
  }
  return index_fold(v ^ k.k_last, h ^ k.k_final);
}

uint32_t index_hash(const char *name, size_t len) {
  // 0 marks an empty slot in the tables of the readings that use it.
  uint32_t hash = static_cast<uint32_t>(index_name_hash(name, len));
  return hash != 0 ? hash : 1;
}

graph_index *index_create() {
  graph_index *ix = static_cast<graph_index *>(mem_alloc(sizeof(graph_index)));
  if (ix == nullptr) return nullptr;
  ix->gi_data_bits = static_cast<uint64_t *>(mem_alloc(INDEX_DATA_BITS / 8));
  if (ix->gi_data_bits == nullptr) {
    mem_free(ix);
    return nullptr;
  }
  std::memset(ix->gi_data_bits, 0, INDEX_DATA_BITS / 8);
  ix->gi_names = probe_table<name_slot>{};
  ix->gi_pairs = probe_table<pair_slot>{};
  ix->gi_files = probe_table<file_slot>{};
  ix->gi_newest = nullptr;
  return ix;
}

void index_free(graph_index *ix) {
  mem_free(ix->gi_names.t_slots);
  mem_free(ix->gi_pairs.t_slots);
  mem_free(ix->gi_data_bits);
  for (size_t i = 0; i < ix->gi_files.t_cap; ++i)
    mem_free(ix->gi_files.t_slots[i].f_file);
  mem_free(ix->gi_files.t_slots);
  mem_free(ix);
}

const char *index_intern_file(graph_index *ix, const char *file) {
  // A file's records come one after another: the newest name is nearly
  // always the one asked for, and the set answers the rest at once, however
  // many files a run reads.
  if (ix->gi_newest != nullptr && std::strcmp(ix->gi_newest->f_name, file) == 0) {
    return ix->gi_newest->f_name;
  }
  size_t len = std::strlen(file);
  uint64_t hash = index_name_hash(file, len);
  auto same = [&](const file_slot &s) {
    return s.f_file->f_hash == hash && std::strcmp(s.f_file->f_name, file) == 0;
  };
  if (ix->gi_files.t_cap != 0) {
    const file_slot *known = table_probe(ix->gi_files, hash, same);
    if (!slot_empty(*known)) return (ix->gi_newest = known->f_file)->f_name;
  }
  if (!table_reserve(&ix->gi_files, 1)) return nullptr;
  file_name *f = static_cast<file_name *>(mem_alloc(sizeof(file_name) + len + 1));
  if (f == nullptr) return nullptr;
  f->f_hash = hash;
  f->f_name = reinterpret_cast<char *>(f + 1);
  std::memcpy(f->f_name, file, len + 1);
  *table_vacancy(ix->gi_files, hash) = file_slot{f};
  ix->gi_files.t_count++;
  ix->gi_newest = f;
  return f->f_name;
}

sym_result index_find(const graph_index *ix, index_records recs, const char *name, size_t len,
                      const name_key &key) {
  if (ix->gi_names.t_cap == 0) return sym_result::none(sym_status::not_found);
  const name_slot *slot =
      table_probe(ix->gi_names, key_place(key.k_bits, key.k_class),
                  [&](const name_slot &s) { return slot_names(recs, s, name, len, key); });
  if (slot_empty(*slot)) return sym_result::none(sym_status::not_found);
  return sym_result::found(index_slot_sym(slot));
}

name_slot *index_find_slot(graph_index *ix, index_records recs, const char *name, size_t len,
                           const name_key &key) {
  size_t place = key_place(key.k_bits, key.k_class);
  auto match = [&](const name_slot &s) { return slot_names(recs, s, name, len, key); };
  if (ix->gi_names.t_cap != 0) {
    name_slot *slot = table_probe(ix->gi_names, place, match);
    if (!slot_empty(*slot)) return slot;
    // A new name: the usual case is a table with room, and one probe.
    if (!table_too_full(ix->gi_names.t_count + 1, ix->gi_names.t_cap)) return slot;
  }
  if (!table_reserve(&ix->gi_names, 1)) return nullptr;
  return table_vacancy(ix->gi_names, place);
}

void index_fill_slot(graph_index *ix, name_slot *slot, sym_id sym, const name_key &key) {
  *slot = key_slot(key, sym);
  ix->gi_names.t_count++;
}

namespace {
// The pair's slot, or the empty slot where it belongs.
pair_slot *pair_probe(const graph_index *ix, sym_id caller, sym_id key) {
  return table_probe(ix->gi_pairs, pair_hash(caller + 1, key), [&](const pair_slot &s) {
    return s.p_caller == caller + 1 && pair_key(s) == key;
  });
}
}  // namespace

unsigned index_pair_flags(const graph_index *ix, sym_id caller, sym_id key) {
  if (ix->gi_pairs.t_cap == 0) return 0;
  return static_cast<unsigned>(pair_probe(ix, caller, key)->p_key & PAIR_FLAGS);
}

bool index_reserve_pairs(graph_index *ix, size_t n) {
  return table_reserve(&ix->gi_pairs, n);
}

void index_add_pair(graph_index *ix, sym_id caller, sym_id key, unsigned flags) {
  pair_slot *slot = pair_probe(ix, caller, key);
  if (slot_empty(*slot)) {
    *slot = pair_slot{caller + 1, key << PAIR_SHIFT};
    ix->gi_pairs.t_count++;
  }
  slot->p_key |= flags;
}
