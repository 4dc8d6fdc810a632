#include "graph/index.h"

#include <cstring>

#include "graph/memory.h"
#include "graph/symbol_graph.h"

namespace {
// Live indexes, so that an operation that only gets a list's first record
// (sym_lookup, sym_free_all) can still find the list's index.
graph_index *index_chain = nullptr;

const size_t INDEX_MIN_CAP = 64;

// Tables grow before they are more than 5/8 full: misses, the common case of
// a lookup, stay short.
bool index_too_full(size_t count, size_t cap) {
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

uint64_t index_mix(uint64_t h) {
  h ^= h >> 32;
  h *= 0xd6e8feb86659fd93ull;
  h ^= h >> 32;
  return h;
}

size_t pair_hash(const symbol *caller, const symbol *key) {
  uint64_t a = reinterpret_cast<uintptr_t>(caller);
  uint64_t b = reinterpret_cast<uintptr_t>(key);
  return static_cast<size_t>(index_mix(a * 0x9e3779b97f4a7c15ull ^ b));
}
}  // namespace

uint32_t index_hash(const char *name, size_t len) {
  // Names are short: a few fixed-size loads, which may overlap, and one
  // multiplication for each eight bytes.
  uint64_t h = len * 0x9e3779b97f4a7c15ull;
  uint64_t v;
  if (len > 8) {
    while (len > 8) {
      h = (h ^ index_load8(name)) * 0xbf58476d1ce4e5b9ull;
      h ^= h >> 31;
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
  h = (h ^ v) * 0x94d049bb133111ebull;
  // 0 marks an empty slot of the name table.
  uint32_t hash = static_cast<uint32_t>(index_mix(h));
  return hash != 0 ? hash : 1;
}

graph_index *index_create(const symbol *first) {
  graph_index *ix = static_cast<graph_index *>(mem_alloc(sizeof(graph_index)));
  if (ix == nullptr) return nullptr;
  ix->gi_data_bits = static_cast<uint64_t *>(mem_alloc(INDEX_DATA_BITS / 8));
  if (ix->gi_data_bits == nullptr) {
    mem_free(ix);
    return nullptr;
  }
  std::memset(ix->gi_data_bits, 0, INDEX_DATA_BITS / 8);
  std::memset(ix->gi_recent, 0, sizeof ix->gi_recent);
  ix->gi_first = first;
  ix->gi_names = nullptr;
  ix->gi_cap = 0;
  ix->gi_count = 0;
  ix->gi_pairs = nullptr;
  ix->gi_pcap = 0;
  ix->gi_pcount = 0;
  ix->gi_files = nullptr;
  ix->gi_next = index_chain;
  index_chain = ix;
  return ix;
}

graph_index *index_of(const symbol *first) {
  for (graph_index *ix = index_chain; ix != nullptr; ix = ix->gi_next) {
    if (ix->gi_first == first) return ix;
  }
  return nullptr;
}

void index_free(graph_index *ix) {
  for (graph_index **p = &index_chain; *p != nullptr; p = &(*p)->gi_next) {
    if (*p == ix) {
      *p = ix->gi_next;
      break;
    }
  }
  mem_free(ix->gi_names);
  mem_free(ix->gi_pairs);
  mem_free(ix->gi_data_bits);
  while (ix->gi_files != nullptr) {
    file_name *next = ix->gi_files->f_next;
    mem_free(ix->gi_files);
    ix->gi_files = next;
  }
  mem_free(ix);
}

const char *index_file(graph_index *ix, const char *file) {
  // A run has a few files and scans them one after another: the newest is
  // nearly always the one asked for.
  for (const file_name *f = ix->gi_files; f != nullptr; f = f->f_next) {
    if (std::strcmp(f->f_name, file) == 0) return f->f_name;
  }
  size_t len = std::strlen(file);
  file_name *f = static_cast<file_name *>(mem_alloc(sizeof(file_name) + len + 1));
  if (f == nullptr) return nullptr;
  f->f_name = reinterpret_cast<char *>(f + 1);
  std::memcpy(f->f_name, file, len + 1);
  f->f_next = ix->gi_files;
  ix->gi_files = f;
  return f->f_name;
}

namespace {
bool index_names(const symbol *sym, const char *name, size_t len) {
  return static_cast<size_t>(sym->s_namelen) == len && std::memcmp(sym->s_name, name, len) == 0;
}
}  // namespace

symbol *index_find(const graph_index *ix, const char *name, size_t len, uint32_t hash) {
  name_slot &recent = ix->gi_recent[hash % INDEX_RECENT];
  if (recent.n_hash == hash && index_names(recent.n_sym, name, len)) return recent.n_sym;
  if (ix->gi_cap == 0) return nullptr;
  size_t mask = ix->gi_cap - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const name_slot &slot = ix->gi_names[i];
    if (slot.n_hash == 0) return nullptr;
    if (slot.n_hash == hash && index_names(slot.n_sym, name, len)) {
      recent = slot;
      return slot.n_sym;
    }
  }
}

int index_reserve_name(graph_index *ix) {
  if (ix->gi_cap != 0 && !index_too_full(ix->gi_count + 1, ix->gi_cap)) return 1;
  size_t cap = ix->gi_cap ? ix->gi_cap * 2 : INDEX_MIN_CAP;
  name_slot *names = static_cast<name_slot *>(mem_alloc(cap * sizeof(name_slot)));
  if (names == nullptr) return 0;
  std::memset(names, 0, cap * sizeof(name_slot));
  size_t mask = cap - 1;
  for (size_t j = 0; j < ix->gi_cap; ++j) {
    const name_slot &old = ix->gi_names[j];
    if (old.n_hash == 0) continue;
    size_t i = old.n_hash & mask;
    while (names[i].n_hash != 0)
      i = (i + 1) & mask;
    names[i] = old;
  }
  mem_free(ix->gi_names);
  ix->gi_names = names;
  ix->gi_cap = cap;
  return 1;
}

void index_add_name(graph_index *ix, symbol *sym, uint32_t hash) {
  size_t mask = ix->gi_cap - 1;
  size_t i = hash & mask;
  while (ix->gi_names[i].n_hash != 0)
    i = (i + 1) & mask;
  ix->gi_names[i] = name_slot{hash, sym};
  ix->gi_recent[hash % INDEX_RECENT] = ix->gi_names[i];
  ix->gi_count++;
}

unsigned index_pair_flags(const graph_index *ix, const symbol *caller, const symbol *key) {
  if (ix->gi_pcap == 0) return 0;
  size_t mask = ix->gi_pcap - 1;
  uintptr_t k = reinterpret_cast<uintptr_t>(key);
  for (size_t i = pair_hash(caller, key) & mask;; i = (i + 1) & mask) {
    const pair_slot &s = ix->gi_pairs[i];
    if (s.p_caller == nullptr) return 0;
    if (s.p_caller == caller && (s.p_key & ~uintptr_t{PAIR_FLAGS}) == k) {
      return static_cast<unsigned>(s.p_key & PAIR_FLAGS);
    }
  }
}

int index_reserve_pairs(graph_index *ix, size_t n) {
  size_t cap = ix->gi_pcap ? ix->gi_pcap : INDEX_MIN_CAP;
  while (index_too_full(ix->gi_pcount + n, cap))
    cap *= 2;
  if (cap == ix->gi_pcap) return 1;
  pair_slot *pairs = static_cast<pair_slot *>(mem_alloc(cap * sizeof(pair_slot)));
  if (pairs == nullptr) return 0;
  std::memset(pairs, 0, cap * sizeof(pair_slot));
  size_t mask = cap - 1;
  for (size_t j = 0; j < ix->gi_pcap; ++j) {
    const pair_slot &s = ix->gi_pairs[j];
    if (s.p_caller == nullptr) continue;
    const symbol *key = reinterpret_cast<const symbol *>(s.p_key & ~uintptr_t{PAIR_FLAGS});
    size_t i = pair_hash(s.p_caller, key) & mask;
    while (pairs[i].p_caller != nullptr)
      i = (i + 1) & mask;
    pairs[i] = s;
  }
  mem_free(ix->gi_pairs);
  ix->gi_pairs = pairs;
  ix->gi_pcap = cap;
  return 1;
}

void index_add_pair(graph_index *ix, const symbol *caller, const symbol *key, unsigned flags) {
  size_t mask = ix->gi_pcap - 1;
  uintptr_t k = reinterpret_cast<uintptr_t>(key);
  for (size_t i = pair_hash(caller, key) & mask;; i = (i + 1) & mask) {
    pair_slot &s = ix->gi_pairs[i];
    if (s.p_caller == nullptr) {
      s.p_caller = caller;
      s.p_key = k | flags;
      ix->gi_pcount++;
      return;
    }
    if (s.p_caller == caller && (s.p_key & ~uintptr_t{PAIR_FLAGS}) == k) {
      s.p_key |= flags;
      return;
    }
  }
}
