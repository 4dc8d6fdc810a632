; Start-up of a small program: read the options, then run.
section .data
options dd 0
verbose db 0

section .text
extern printf

global main
main:
    call init
    call run
    ret

global init
init:
    mov eax, [options]
    call parse
    ret

global parse
parse:
    mov byte [verbose], 1
    call report
    call parse
    ret

global run
run:
    mov eax, [options]
    call report
    ret

global report
report:
    call printf
    ret
