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

#include "graph/symbol_graph.h"

// An open-addressing table with linear probing and a power-of-two capacity.
// A slot type says when a slot is empty (slot_empty) and where its entry
// belongs (slot_hash).
template <class Slot>
struct probe_table {
  Slot *t_slots = nullptr;
  size_t t_cap = 0;
  size_t t_count = 0;
};

// One slot of the name table: a record, and the hash of its name, so that
// a probe reads one place and the record only when the hash matches.
struct name_slot {
  uint32_t n_hash;  // 0 in an empty slot
  sym_id n_sym;
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

// Records a graph may hold: their places must fit beside the pair flags.
constexpr int64_t INDEX_MAX_SYMS = (int64_t{1} << (32 - PAIR_SHIFT)) - 1;

// A caller's callee list is entered in the pair table once it holds more
// than this many cells.
constexpr uint32_t INDEX_SHORT_LIST = 8;

constexpr size_t INDEX_RECENT = 4096;
constexpr uint32_t INDEX_DATA_BITS = 1 << 19;

// One file name that the records of a graph share.
struct file_name {
  file_name *f_next;
  char *f_name;  // right after the cell, in the same block
};

struct graph_index {
  probe_table<name_slot> gi_names;
  probe_table<pair_slot> gi_pairs;
  file_name *gi_files;  // every file name the records point at, newest first
  // One bit per hash value modulo the size: set for every name whose first
  // record is, or once was, a data symbol. A clear bit proves a name is none.
  uint64_t *gi_data_bits;
  // Names found or entered lately, by hash: a small table that stays in the
  // cache, in front of the big one. The first record of a name never
  // changes, so an entry never goes stale.
  mutable name_slot gi_recent[INDEX_RECENT];
};

// Hash of the `len` bytes of a name; never 0.
uint32_t index_hash(const char *name, size_t len);

// Returns a new, empty index; null when memory is exhausted.
graph_index *index_create();

// Releases an index and the file names it holds.
void index_free(graph_index *ix);

// The graph's one copy of the file name `file`, made when it is new; null
// when memory is exhausted.
const char *index_intern_file(graph_index *ix, const char *file);

// Notes that the first record of the name with this hash is a data symbol.
inline void index_note_data(graph_index *ix, uint32_t hash) {
  uint32_t bit = hash % INDEX_DATA_BITS;
  ix->gi_data_bits[bit / 64] |= uint64_t{1} << (bit % 64);
}

// False when no name with this hash has ever had a data symbol first.
inline bool index_may_be_data(const graph_index *ix, uint32_t hash) {
  uint32_t bit = hash % INDEX_DATA_BITS;
  return (ix->gi_data_bits[bit / 64] >> (bit % 64)) & 1;
}

// The first record of `graph` named `name` (of `len` bytes, hash `hash`),
// or SYM_NONE.
sym_id index_find(const call_graph *graph, const char *name, size_t len, uint32_t hash);

// Where the name of `len` bytes at `name` (hash `hash`) is or would be
// entered: its slot, which names its first record, or the empty slot a new
// first record goes to, with room made for it. Null when memory is
// exhausted (nothing changed).
name_slot *index_find_slot(call_graph *graph, const char *name, size_t len, uint32_t hash);

// Enters `sym` as the first record of its name in the empty slot that
// index_find_slot returned.
void index_fill_slot(graph_index *ix, name_slot *slot, sym_id sym, uint32_t hash);

// The flags recorded for (caller, key), 0 when none.
unsigned index_pair_flags(const graph_index *ix, sym_id caller, sym_id key);

// Makes room for `n` more pairs; false when memory is exhausted (nothing changed).
bool index_reserve_pairs(graph_index *ix, size_t n);

// Adds `flags` to the pair (caller, key); the caller has made room.
void index_add_pair(graph_index *ix, sym_id caller, sym_id key, unsigned flags);
