// How a GNU file shows its instruction set and object format.
#include "scan/precise/isa_pick.h"

#include <bit>
#include <cstring>
#include <iterator>

#include "scan/isa/aarch64.h"
#include "scan/isa/arm32.h"
#include "scan/isa/riscv64.h"
#include "scan/isa/x86_64.h"
#include "scan/precise/reader.h"

namespace {
constexpr const isa_desc *sets[ISA_COUNT] = {&x86_64_isa, &riscv64_isa, &aarch64_isa, &arm32_isa};

constexpr isa_keys make_keys(uint32_t i) {
  isa_keys t{};
  for (uint32_t j = 0; j < ISA_COUNT; ++j) {
    if (j == i) continue;
    t.add(sets[j]->calls, ISA_FOREIGN);
    t.add(sets[j]->jumps, ISA_FOREIGN);
    t.add(sets[j]->cond_jumps, ISA_FOREIGN);
  }
  precise_add_isa_words(&t, *sets[i]);
  return t;
}

// The mnemonics that show a file's set: bit i for sets[i].
constexpr isa_keys make_marks() {
  isa_keys t{};
  for (uint32_t i = 0; i < ISA_COUNT; ++i)
    t.add(sets[i]->marks, 1u << i);
  return t;
}
constexpr isa_keys marks = make_marks();

// What -m accepts for each set, beside its own name.
constexpr const char *set_names[ISA_COUNT] = {"x86_64 x86-64 amd64 x86 i386 i686", "riscv64 riscv",
                                              "aarch64 arm64", "arm thumb"};

// Takes the first set of the mask `sets` (bit i for sets[i]) for the
// file's, if it names any.
void pick(isa_pick *p, uint32_t mask) {
  if (mask == 0) return;
  p->isa = static_cast<uint32_t>(std::countr_zero(mask));
  p->decided = true;
}

// Counts an instruction of a file that has not shown its set, and keeps
// the mnemonic of the first.
void note_instruction(isa_pick *p, std::string_view word) {
  if (p->instructions++ == 0) {
    size_t n = word.size() < sizeof p->first - 1 ? word.size() : sizeof p->first - 1;
    std::memcpy(p->first, word.data(), n);
    p->first[n] = '\0';
  }
}
}  // namespace

bool isa_has_prefix(const char *list, std::string_view word) {
  for (const char *s = list; *s != '\0';) {
    size_t n = std::strcspn(s, " ");
    if (n > 0 && word.size() >= n && std::memcmp(word.data(), s, n) == 0) return true;
    s += n + (s[n] == ' ');
  }
  return false;
}

const isa_desc *const isa_sets[ISA_COUNT] = {sets[0], sets[1], sets[2], sets[3]};
const isa_keys isa_set_keys[ISA_COUNT] = {make_keys(0), make_keys(1), make_keys(2), make_keys(3)};

int isa_by_name(const char *name) {
  for (uint32_t i = 0; i < ISA_COUNT; ++i) {
    if (lex_list_has(set_names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

bool isa_directive(isa_pick *p, std::string_view word) {
  // Mach-O's own directives; PE/COFF's function blocks.
  if (word == ".subsections_via_symbols" || word == ".build_version" ||
      word == ".macosx_version_min") {
    p->macho = true;
  }
  if (word == ".def" || word == ".seh_proc") p->coff = true;
  if (p->decided) return false;
  if (word == ".arch" || word == ".cpu") return true;
  for (uint32_t i = 0; i < ISA_COUNT; ++i) {
    if (lex_list_has(sets[i]->directives, word)) pick(p, 1u << i);
  }
  return false;
}

void isa_arch_name(isa_pick *p, std::string_view name) {
  for (uint32_t i = 0; i < ISA_COUNT; ++i) {
    if (!isa_has_prefix(sets[i]->arch_names, name)) continue;
    if (i == ISA_AARCH64) {
      // 32-bit ARM names armv8 and armv9 too: its own directives, which
      // follow, or a register of either set still decide.
      p->isa = i;
      p->chosen = true;
    } else {
      pick(p, 1u << i);
    }
  }
}

void isa_mnemonic(isa_pick *p, std::string_view word) {
  // One of x86's own mnemonics shows the set ("pushq", "endbr64"). Another
  // set's own mnemonic shows it when one of its registers comes first among
  // the operands ("stp x29, ...", "addi sp, ..."), and any other instruction
  // when a register that only one set has does ("mov w0, 1"): a lone word,
  // as in a comment of another assembler, shows nothing.
  uint32_t mask = marks.find(word.data(), word.size());
  if (mask == 1) pick(p, mask);
  p->pending = mask != 0 ? mask : (1u << ISA_COUNT) - 1;
  note_instruction(p, word);
}

void isa_borrow(isa_pick *p, std::string_view word) {
  for (uint32_t i = 0; i < ISA_COUNT; ++i) {
    if (isa_set_keys[i].find(word.data(), word.size(), KW_CALL | KW_JUMP)) {
      p->isa = i;
      break;
    }
  }
  note_instruction(p, word);
  // Calls and jumps are shorter than 24 bytes; 8 more bytes make the buffer
  // the keyword lookup reads.
  if (p->borrowed[0] == '\0' && word.size() < 24)
    std::memcpy(p->borrowed, word.data(), word.size());
}

void isa_first_operand(isa_pick *p, std::string_view word, bool marked) {
  uint32_t mask = 0;
  for (uint32_t i = 0; i < ISA_COUNT; ++i) {
    // A marked register ("%rax") is x86's, in AT&T syntax.
    if (marked && i != ISA_X86_64) continue;
    if ((p->pending >> i & 1) && isa_set_keys[i].find(word.data(), word.size(), KW_REGISTER)) {
      mask |= 1u << i;
    }
  }
  if (std::has_single_bit(mask)) pick(p, mask);
  p->pending = 0;
}
