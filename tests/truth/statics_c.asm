; The shared helper, named in global after its label; see statics_a.asm.
global shared
extern twin

section .text
shared:
        call    helper
        call    twin
        ret

helper:
        ret

global helper
