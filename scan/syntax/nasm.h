// NASM's syntax: semicolon comments, case-blind directives, labels that stand
// first on their line, and names of letters, digits and "_$#@~.?".
#pragma once

#include "scan/syntax/syntax.h"

constexpr syntax_desc nasm_syntax = {
    .name = "nasm",
    .comment_char = ';',
    .slash_comments = false,
    .comment_escapes = true,
    .line_labels = true,
    .case_blind = true,
    .name_start_extra = ".?",
    .name_extra = "$#@~",
    .high_bytes_are_names = false,
    .global_words = "global",
    .extern_words = "extern",
    .section_words = "section",
    .data_sections = ".data .bss",
    .code_sections = ".text",
    .precise =
        {
            .data = "db dw dd dq dt do dy dz resb resw resd resq rest reso resy resz times equ "
                    "incbin",
            .sections = "section segment",
            .strucs = "struc absolute",
            .endstrucs = "endstruc",
            .others = "common static bits default cpu org align alignb istruc iend use16 use32 "
                      "use64 float warning required cextern cvisible",
            .cglobal = "cglobal",
            .exec = "exec",
            .noexec = "noexec",
            .func_types = "",
            .macros = "macro imacro rmacro irmacro",
            .endmacros = "endmacro endm",
            .push = "",
            .pop = "",
            .previous = "",
            .announce = "",
            .type = "",
            .intel = "",
            .att = "",
        },
};
