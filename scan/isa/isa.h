// What an instruction set means to a call graph, as data that both readings
// read: the mnemonics that call and jump, the registers (never a callee's
// name), the words that only size or place an operand, the marks of an
// indirect operand, and the relocation suffixes that a callee's name may
// carry. A new instruction set is a new constant of this shape.
#pragma once

struct isa_desc {
  const char *name;
  // The call mnemonic that the default reading knows, and every spelling of
  // a call the precise reading knows (blank-separated, lower case).
  const char *call_word;
  const char *calls;
  // Jumps that go on in another function when they leave this one: the
  // unconditional ones and the conditional ones.
  const char *jumps;
  const char *cond_jumps;
  // Prefixes that may stand before a mnemonic, the general registers, and
  // the words that give an operand's size or distance.
  const char *prefixes;
  const char *registers;
  const char *size_words;
  // In AT&T operands: the mark of an indirect call or jump, of a register,
  // and of an immediate.
  char indirect_mark;
  char register_mark;
  char immediate_mark;
  // The suffixes after "@" that name a relocation rather than a symbol.
  const char *reloc_suffixes;
  // Beginnings of the names of helpers that are called only to load the
  // program counter: such a call is no edge.
  const char *pc_thunks;
  // Whether "#" opens a comment; whether a call's or jump's target is its
  // last operand, after registers and immediates; whether a name directly
  // followed by ":" in an operand is a relocation operator (":lo12:x").
  bool hash_comments;
  bool target_last;
  bool colon_relocs;
  // How a GNU file shows that it is of this set: mnemonics no other set
  // has, directives only its files hold, and the beginnings of the names
  // that ".arch" and ".cpu" give it.
  const char *marks;
  const char *directives;
  const char *arch_names;
  // A character that comments out the rest of its line wherever it stands
  // ("@" in ARM), or 0.
  char line_comment;
};
