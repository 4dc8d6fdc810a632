; main reaches init (which calls itself, the C library, and jumps to tailed
; as its last act) and the cycle ping/pong; orphan and helper call each other
; but nothing calls them, and nothing calls handler.
extern printf
section .text
global main
main:
    call init
    call ping
    ret
init:
    call printf
    call init
    jmp tailed
ping:
    call pong
    ret
pong:
    call ping
    ret
tailed:
    ret
orphan:
    call helper
    ret
helper:
    call orphan
    ret
handler:
    iret
