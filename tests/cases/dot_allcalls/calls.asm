section .text
global main
main:
    call f
    call g
    call f
global f
f:
    call g
    call g
