section .data
counter dd 0
section .text
global main
main:
    call a
    call _h
    mov eax, [counter]
    call c
global a
a:
    call t
global _h
_h:
    call t
    call z
global c
c:
    call t
