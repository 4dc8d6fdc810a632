// The GNU assembler's syntax: "//" and "/* */" comments, dot directives in
// exact case, labels only with a colon, and names of letters, digits, "_.$"
// and every byte from 128 up.
#pragma once

#include "scan/syntax/syntax.h"

constexpr syntax_desc gnu_syntax = {
    .name = "gnu",
    .comment_char = '/',
    .slash_comments = true,
    .comment_escapes = false,
    .line_labels = false,
    .case_blind = false,
    .name_start_extra = ".",
    .name_extra = "$",
    .high_bytes_are_names = true,
    .global_words = ".globl .global",
    .extern_words = ".extern",
    .section_words = ".section",
    .data_sections = ".data .bss",
    .code_sections = ".text",
    .precise =
        {
            .data = "",
            .sections = "",
            .strucs = "",
            .endstrucs = "",
            .others = "",
            .cglobal = "",
            .exec = "",
            .noexec = "",
            .func_types = "function stt_func gnu_indirect_function stt_gnu_ifunc",
            .macros = ".macro",
            .endmacros = ".endm",
            .push = ".pushsection",
            .pop = ".popsection",
            .previous = ".previous",
            .announce = ".weak",
            .type = ".type",
            .intel = ".intel_syntax",
            .att = ".att_syntax",
        },
};
