// RISC-V 64 in GNU syntax: "call" and "jal" call, "tail" and "j" jump, and
// "jalr" and "jr" go through a register (no edge). "%hi(x)" and the like are
// relocation operators around a name.
#pragma once

#include "scan/isa/isa.h"

constexpr isa_desc riscv64_isa = {
    .name = "riscv64",
    .call_word = "call",
    .calls = "call jal",
    .jumps = "tail j",
    .cond_jumps = "beq bne blt bge bltu bgeu beqz bnez blez bgez bltz bgtz bgt ble bgtu bleu",
    .prefixes = "",
    .registers =
        "zero ra sp gp tp fp t0 t1 t2 t3 t4 t5 t6 s0 s1 s2 s3 s4 s5 s6 s7 s8 s9 s10 "
        "s11 a0 a1 a2 a3 a4 a5 a6 a7 x0 x1 x2 x3 x4 x5 x6 x7 x8 x9 x10 x11 x12 x13 x14 "
        "x15 x16 x17 x18 x19 x20 x21 x22 x23 x24 x25 x26 x27 x28 x29 x30 x31",
    .size_words = "",
    .indirect_mark = '\0',
    .register_mark = '%',
    .immediate_mark = '\0',
    .reloc_suffixes = "plt PLT",
    .pc_thunks = "",
    .hash_comments = true,
    .target_last = true,
    .colon_relocs = false,
    .marks =
        "addi addiw sd ld lw sw lbu lhu li la lla lui auipc mv tail jal jalr jr beqz bnez "
        "sext.w",
    .directives = ".option",
    .arch_names = "rv32 rv64",
    .line_comment = '\0',
};
