// 32-bit ARM in GNU syntax, A32 and Thumb-2 alike: "bl" and "blx label"
// call, "b" (with ".w" or ".n" for its width in Thumb) and its conditional
// forms jump, "blx rN" and "bx rN" go through a register (no edge). "@"
// opens a comment, "#" marks an immediate, "#:lower16:x" puts a relocation
// before a name, and "bl f(PLT)" names f.
#pragma once

#include "scan/isa/isa.h"

#define ARM32_CONDS(p, s)                                                                      \
  p "eq" s " " p "ne" s " " p "cs" s " " p "hs" s " " p "cc" s " " p "lo" s " " p "mi" s " " p \
    "pl" s " " p "vs" s " " p "vc" s " " p "hi" s " " p "ls" s " " p "ge" s " " p "lt" s " " p \
    "gt" s " " p "le" s

constexpr isa_desc arm32_isa = {
    .name = "arm",
    .call_word = "bl",
    .calls = "bl blx blal " ARM32_CONDS("bl", "") " " ARM32_CONDS("blx", ""),
    .jumps = "b b.w b.n bal bal.w bal.n",
    .cond_jumps =
        ARM32_CONDS("b", "") " " ARM32_CONDS("b", ".w") " " ARM32_CONDS("b", ".n") " cbz cbnz",
    .prefixes = "",
    .registers = "r0 r1 r2 r3 r4 r5 r6 r7 r8 r9 r10 r11 r12 r13 r14 r15 sp lr pc ip fp sl sb",
    .size_words = "",
    .indirect_mark = '\0',
    .register_mark = '\0',
    .immediate_mark = '#',
    .reloc_suffixes = "PLT GOT GOTOFF",
    .pc_thunks = "",
    .hash_comments = false,
    .target_last = true,
    .colon_relocs = true,
    .marks = "ldr str ldm stm ldmia stmia stmdb ldmfd stmfd movw movt push pop",
    .directives = ".syntax .eabi_attribute .fpu .thumb .arm .thumb_func .arm_func .code",
    .arch_names = "armv2 armv3 armv4 armv5 armv6 armv7",
    .line_comment = '@',
};

#undef ARM32_CONDS
