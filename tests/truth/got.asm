; Position-independent NASM code calls a library through the global offset
; table or the procedure linkage table: each such call is a call of the
; function it names.
default rel
extern puts, exit
global main

section .text
main:
    push rbx
    lea rdi, [greeting]
    call [rel puts wrt ..got]
    call say
    xor edi, edi
    jmp [rel exit wrt ..got]

say:
    lea rdi, [greeting]
    jmp puts wrt ..plt

section .data
greeting: db "hello", 0
