// x86-64 and i386, in both AT&T and Intel spelling.
#pragma once

#include "scan/isa/isa.h"

constexpr isa_desc x86_64_isa = {
    .name = "x86_64",
    .call_word = "call",
    .calls = "call callq calll callw",
    .jumps = "jmp jmpq jmpl jmpw",
    .cond_jumps =
        "ja jae jb jbe jc jcxz jecxz jrcxz je jg jge jl jle jna jnae jnb jnbe jnc jne "
        "jng jnge jnl jnle jno jnp jns jnz jo jp jpe jpo js jz",
    .prefixes =
        "notrack bnd lock rep repe repz repne repnz data16 data32 addr16 addr32 rex "
        "rex64 cs ds es fs gs ss",
    .registers =
        "rax rbx rcx rdx rsi rdi rbp rsp eax ebx ecx edx esi edi ebp esp ax bx cx dx "
        "si di bp sp r8 r9 r10 r11 r12 r13 r14 r15 r8d r9d r10d r11d r12d r13d r14d "
        "r15d r8w r9w r10w r11w r12w r13w r14w r15w",
    .size_words =
        "near far short strict byte word dword qword tword oword yword zword ptr fword "
        "tbyte xmmword ymmword zmmword",
    .indirect_mark = '*',
    .register_mark = '%',
    .immediate_mark = '$',
    .reloc_suffixes = "PLT GOTPCREL GOT GOTOFF PLTOFF GOTPLT plt got gotpcrel",
    .pc_thunks = "__x86.get_pc_thunk.",
    .hash_comments = true,
    .target_last = false,
    .colon_relocs = false,
    .marks = "push pushq pushl pop popq popl endbr64 endbr32 movq movl leaq leal subq subl",
    .directives = ".intel_syntax .att_syntax .code16 .code32 .code64",
    .arch_names = "i386 i486 i586 i686 pentium x86-64 x86_64 generic32 generic64 corei7",
    .line_comment = '\0',
};
