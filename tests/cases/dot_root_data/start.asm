section .data
counter dd 0
section .text
global _start
_start:
    call work
    mov eax, [counter]
global work
work:
    ret
