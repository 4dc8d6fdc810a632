section .text
global main
main:
    call spin
    call a
global spin
spin:
    call spin
global a
a:
    call b
global b
b:
    call a
