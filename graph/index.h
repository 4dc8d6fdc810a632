// The tables a graph keeps beside its lists, so that finding a symbol by name
// and the duplicate tests of record_call take constant time instead of a walk.
//
// They never change what the lists hold or their order: the name table maps
// a name to the first record that bears it (the one every lookup must find),
// and the pair table answers "has this caller already recorded this callee
// (or a symbol of its name)?" for callers whose callee lists have grown long.
// Short lists are still walked: that is cheaper than hashing, and it costs no
// memory for the many functions that call only a few others.
//
// The graph owns its index; graph_free releases it with the lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graph/records.h"

// An open-addressing table with linear probing and a power-of-two capacity.
// A slot type says when a slot is empty (slot_empty) and where its entry
// belongs (slot_hash).
template <class Slot>
struct probe_table {
  Slot *t_slots = nullptr;
  size_t t_cap = 0;
  size_t t_count = 0;
};

// What the name table knows of a name without reading its record: a name
// shorter than eight bytes is its bytes and its length, one of eight bytes
// is its bytes, and a longer one is a 64-bit hash of it. The class keeps the
// three kinds apart, so only a long name's match needs its record to confirm.
struct name_key {
  uint64_t k_bits;
  uint32_t k_class;  // NAME_SHORT, NAME_EIGHT or NAME_LONG
};

constexpr uint32_t NAME_SHORT = 1;
constexpr uint32_t NAME_EIGHT = 2;
constexpr uint32_t NAME_LONG = 3;
constexpr unsigned NAME_CLASS_SHIFT = 30;

// One slot of the name table: the first record of a name with the name's
// class in its top bits (0 in an empty slot), and the name's key. Twelve
// bytes, so that a million names fit the table in 24 MB; a probe settles
// almost every name in the slot itself.
struct name_slot {
  uint32_t n_tag;
  unsigned char n_bits[8];  // k_bits, as memcpy stores it
};

// One slot of the pair table: a caller and a symbol it has recorded.
struct pair_slot {
  uint32_t p_caller;  // the caller plus one; 0 in an empty slot
  uint32_t p_key;     // the recorded symbol shifted by PAIR_SHIFT, with PAIR_* flags below
};

constexpr unsigned PAIR_SAME = 1;  // this very record is among the caller's callees
constexpr unsigned PAIR_NAME = 2;  // a record of this name is (the key is the first of the name)
constexpr unsigned PAIR_FLAGS = PAIR_SAME | PAIR_NAME;
constexpr unsigned PAIR_SHIFT = 2;

// Records a graph may hold: their places must fit beside the pair flags and
// the name classes.
constexpr int64_t INDEX_MAX_SYMS = (int64_t{1} << (32 - PAIR_SHIFT)) - 1;
static_assert(INDEX_MAX_SYMS < (int64_t{1} << NAME_CLASS_SHIFT));

// A caller's callee list is entered in the pair table once it holds more
// than this many cells.
constexpr uint32_t INDEX_SHORT_LIST = 8;

constexpr uint32_t INDEX_DATA_BITS = 1 << 19;

// One file name that the records of a graph share, with its hash.
struct file_name {
  uint64_t f_hash;
  char *f_name;  // right after the cell, in the same block
};

// One slot of the file name set.
struct file_slot {
  file_name *f_file;  // null in an empty slot
};

struct graph_index {
  probe_table<name_slot> gi_names;
  probe_table<pair_slot> gi_pairs;
  probe_table<file_slot> gi_files;  // every file name the records point at
  const file_name *gi_newest;       // the file name interned last
  // One bit per hash value modulo the size: set for every name whose first
  // record is, or once was, a data symbol. A clear bit proves a name is none.
  uint64_t *gi_data_bits;
};

// The secret keys of every hash of names, of the graph and of the -p
// readings alike: with keys that no input can know, no input can choose
// names that all land in one place. The multipliers are odd.
struct index_keys {
  uint64_t k_len, k_chunk, k_chain, k_last, k_final;  // a name's hash
  uint64_t k_place, k_class;                          // a name table slot
  uint64_t k_pair, k_pair_mul;                        // a pair table slot
  uint64_t k_data_mul;                                // the data filter's bit
  uint64_t k_small_mul;                               // small caches
};

extern index_keys index_hash_keys;

// Derives every key from `seed`. Only while no table exists (before a run
// makes its graph): tables built under other keys would no longer be found.
// The output of a run never depends on the seed.
void index_seed(uint64_t seed);

// Where the probe for `key` starts in a table of any size (before the mask).
size_t index_place(const name_key &key);

// Hash of the `len` bytes of a name; never 0.
uint32_t index_hash(const char *name, size_t len);

// Hash of the `len` bytes of a name, all 64 bits of it, under the secret
// keys.
uint64_t index_name_hash(const char *name, size_t len);

// The name table's key of the `len` bytes at `name`. Inline: the default
// reading makes one for nearly every operand, to ask the data filter.
[[gnu::always_inline]] inline name_key index_key(const char *name, size_t len) {
  if (len > 8) return name_key{index_name_hash(name, len), NAME_LONG};
  if (len == 8) {
    uint64_t v;
    std::memcpy(&v, name, 8);
    return name_key{v, NAME_EIGHT};
  }
  // The bytes, with loads that may overlap, and the length in the eighth
  // byte, which no byte of the name reaches. Put together in a register: a
  // load of bytes just stored one by one would wait for the stores.
  uint64_t bits = uint64_t{len} << 56;
  if (len >= 4) {
    uint32_t head, tail;
    std::memcpy(&head, name, 4);
    std::memcpy(&tail, name + len - 4, 4);
    bits |= head | uint64_t{tail} << (8 * (len - 4));
  } else if (len > 0) {
    auto byte = [&](size_t i) { return uint64_t{static_cast<unsigned char>(name[i])} << (8 * i); };
    bits |= byte(0) | byte(len / 2) | byte(len - 1);
  }
  return name_key{bits, NAME_SHORT};
}

// Returns a new, empty index; null when memory is exhausted.
graph_index *index_create();

// Releases an index and the file names it holds.
void index_free(graph_index *ix);

// The graph's one copy of the file name `file`, made when it is new; null
// when memory is exhausted.
const char *index_intern_file(graph_index *ix, const char *file);

// The bit of the data filter for the name with key `key`: one multiplication
// of the key, which a lookup has made anyway, rather than a hash of its own.
// The top bits of a product with a secret odd multiplier: two names share a
// bit no more often than by chance, whatever names a file holds.
inline uint32_t index_data_bit(const name_key &key) {
  static_assert(INDEX_DATA_BITS == 1 << 19);
  return static_cast<uint32_t>((key.k_bits * index_hash_keys.k_data_mul) >> 45);
}

// Notes that the first record of the name with key `key` is a data symbol.
inline void index_note_data(graph_index *ix, const name_key &key) {
  uint32_t bit = index_data_bit(key);
  ix->gi_data_bits[bit / 64] |= uint64_t{1} << (bit % 64);
}

// False when no name with this key's bit has ever had a data symbol first.
inline bool index_may_be_data(const graph_index *ix, const name_key &key) {
  uint32_t bit = index_data_bit(key);
  return (ix->gi_data_bits[bit / 64] >> (bit % 64)) & 1;
}

// The records the name table's entries stand for, and their names: a long
// name's key is a hash, and a match is confirmed on the record.
struct index_records {
  const symbol *syms;
  const char *names;
};

// The first record named `name` (of `len` bytes, key `key`); not_found
// when there is none.
sym_result index_find(const graph_index *ix, index_records recs, const char *name, size_t len,
                      const name_key &key);

// Where the name of `len` bytes at `name` (key `key`) is or would be
// entered: its slot, which names its first record, or the empty slot a new
// first record goes to, with room made for it. Null when memory is
// exhausted (nothing changed).
name_slot *index_find_slot(graph_index *ix, index_records recs, const char *name, size_t len,
                           const name_key &key);

// The first record that a slot from index_find_slot names; SYM_NONE for an
// empty one.
inline sym_id index_slot_sym(const name_slot *slot) {
  return slot->n_tag == 0 ? SYM_NONE : slot->n_tag & ((uint32_t{1} << NAME_CLASS_SHIFT) - 1);
}

// Enters `sym` as the first record of its name in the empty slot that
// index_find_slot returned.
void index_fill_slot(graph_index *ix, name_slot *slot, sym_id sym, const name_key &key);

// The flags recorded for (caller, key), 0 when none.
unsigned index_pair_flags(const graph_index *ix, sym_id caller, sym_id key);

// Makes room for `n` more pairs; false when memory is exhausted (nothing changed).
bool index_reserve_pairs(graph_index *ix, size_t n);

// Adds `flags` to the pair (caller, key); the caller has made room.
void index_add_pair(graph_index *ix, sym_id caller, sym_id key, unsigned flags);
