// AArch64 in GNU syntax: "bl" calls, "b" (and its conditional forms, with
// or without a dot, and the tests of a register) jumps,
// "blr" and "br" go through a register (no edge). "#" marks an immediate,
// comments begin with "//", and ":lo12:x" puts a relocation before a name.
#pragma once

#include "scan/isa/isa.h"

constexpr isa_desc aarch64_isa = {
    .name = "aarch64",
    .call_word = "bl",
    .calls = "bl",
    .jumps = "b",
    .cond_jumps =
        "b.eq b.ne b.cs b.hs b.cc b.lo b.mi b.pl b.vs b.vc b.hi b.ls b.ge b.lt b.gt "
        "b.le b.al beq bne bcs bhs bcc blo bmi bpl bvs bvc bhi bls bge blt bgt ble "
        "cbz cbnz tbz tbnz",
    .prefixes = "",
    .registers =
        "x0 x1 x2 x3 x4 x5 x6 x7 x8 x9 x10 x11 x12 x13 x14 x15 x16 x17 x18 x19 x20 "
        "x21 x22 x23 x24 x25 x26 x27 x28 x29 x30 w0 w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 "
        "w11 w12 w13 w14 w15 w16 w17 w18 w19 w20 w21 w22 w23 w24 w25 w26 w27 w28 "
        "w29 w30 sp wsp xzr wzr lr fp",
    .size_words = "",
    .indirect_mark = '\0',
    .register_mark = '\0',
    .immediate_mark = '#',
    .reloc_suffixes = "",
    .pc_thunks = "",
    .hash_comments = false,
    .target_last = true,
    .colon_relocs = true,
    .marks =
        "stp ldp adrp adr bl b blr br cbz cbnz tbz tbnz ldr str ldrb strb ldrh strh "
        "ldur stur csel cset csinc madd msub sxtw uxtw ubfx sbfx",
    .directives = "",
    .arch_names = "armv8 armv9",
    .line_comment = '\0',
};
