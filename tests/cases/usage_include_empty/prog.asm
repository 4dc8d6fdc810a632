section .data
counter dd 0
section .text
global main
main:
    call work
    ret
global work
work:
    mov eax, [counter]
    ret
