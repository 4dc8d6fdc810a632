; Routines with local labels, calls through registers and memory, tail
; jumps, an external function, a section of its own that is code, and the
; cglobal macro convention of codec libraries.
%macro cglobal 1-*
        global  %1
        align   16
%1:
%endmacro

default rel
extern  puts
global  main

section .text
main:
        push    rbx
        lea     rbx, [handlers]
        call    [rbx+8]          ; through memory: no edge
        mov     rax, [handlers]
        call    rax              ; through a register: no edge
        call    [rel handlers]
        call    sum_rows
        call    ready?
        test    eax, eax
        jnz     .quit
        call    Report
.quit:  pop     rbx
        jmp     exit_now         ; tail call into another section

ready?:
        xor     eax, eax
        ret

Report:
        lea     rdi, [text]
        sub     rsp, 8
        call    puts wrt ..plt
        add     rsp, 8
        ret

first:  mov     eax, 1
        ret
second: mov     eax, 2
        jmp     first            ; tail call

cglobal sum_rows, 3, 3
        xor     eax, eax
.loop:  add     eax, 1
        cmp     eax, 5
        jb      .loop
        jmp     [handlers+rax*8-32] ; through memory: no edge
        jz      first            ; conditional tail call
        jmp     rax              ; through a register: no edge

section .cold progbits alloc exec
exit_now:
        call    Report
        test    eax, eax
        jz short second          ; tail call back into .text
        mov     eax, 60
        syscall
        jmp     exit_now         ; to its own start: no edge

section .data
handlers: dq    first, second
text:   db      "done", 0
