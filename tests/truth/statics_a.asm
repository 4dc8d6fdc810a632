; Read with statics_b.asm and statics_c.asm: two files each with a routine
; named helper that neither shares, and a third file whose helper is shared.
global main
extern shared

section .text
main:
        call    helper
        call    shared
        ret

helper:
        call    inner
        ret

inner:
        ret
