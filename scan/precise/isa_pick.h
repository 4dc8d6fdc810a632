// Which instruction set and object format a GNU file is of, told from what
// it says as it is read: ".arch", ".cpu", a set's own directives, its own
// mnemonics with one of its registers first, and the section and symbol
// spellings of Mach-O and PE/COFF.
#pragma once

#include <cstdint>
#include <string_view>

#include "scan/isa/isa.h"
#include "scan/lex/keys.h"
#include "scan/lex/word.h"

using isa_keys = lex_keywords<uint32_t, 24, 512, true>;

// The sets a GNU file may be of: a file is of the first (or of the one the
// user chose) until it shows that it is of another.
enum : uint32_t { ISA_X86_64, ISA_RISCV64, ISA_AARCH64, ISA_ARM, ISA_COUNT };
extern const isa_desc *const isa_sets[ISA_COUNT];

// Each set's calls, jumps, prefixes and registers under the kinds of
// precise_keyword_kind, and under ISA_FOREIGN the calls and jumps of the
// other sets that this one lacks.
enum : uint32_t { ISA_FOREIGN = 1u << 31 };
extern const isa_keys isa_set_keys[ISA_COUNT];

struct isa_pick {
  uint32_t isa = ISA_X86_64;  // an index of isa_sets
  bool decided = false;       // the file showed it
  // The set is given, though the file has not shown it: by -m, or by an
  // .arch name that 32-bit ARM shares.
  bool chosen = false;
  bool macho = false;         // Mach-O: "_" before C names, "L" and "l" local
  bool coff = false;          // PE/COFF: functions announced by .def blocks
  uint32_t pending = 0;       // sets that the first operand's register would show
  uint32_t instructions = 0;  // instructions read while no set was shown
  uint32_t branches = 0;      // calls and jumps of the set taken for the file
  char first[16] = {};        // the first of them
  // The first call or jump read as another set's while no set was shown
  // (see isa_borrow), padded for a keyword lookup.
  char borrowed[32] = {};
};

// The index of the set that -m calls `name`, or -1.
int isa_by_name(const char *name);

// True when `word` begins with one of the blank-separated prefixes of `list`.
bool isa_has_prefix(const char *list, std::string_view word);

inline const isa_desc &isa_of(const isa_pick *p) {
  return *isa_sets[p->isa];
}

// Takes note of a directive `word` (".arch", ".syntax", ...); returns true
// for .arch and .cpu, whose operand isa_arch_name must then see.
bool isa_directive(isa_pick *p, std::string_view word);

// Takes note of the name that .arch or .cpu gives.
void isa_arch_name(isa_pick *p, std::string_view name);

// Takes note of an instruction's mnemonic in a file that has not shown
// its set yet.
void isa_mnemonic(isa_pick *p, std::string_view word);

// Makes the set of the file, which has not shown it yet, the first that
// has `word` for a call or jump, and keeps `word` in p->borrowed.
void isa_borrow(isa_pick *p, std::string_view word);

// Takes note of the first name among an instruction's operands; `marked`
// when a register mark ("%") stood before it.
void isa_first_operand(isa_pick *p, std::string_view word, bool marked);
