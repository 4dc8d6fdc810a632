section .data

options dd 0
section .text
global main

main:
    call init
    mov eax, [options]
    call printf
    ret


global init
init:
    mov eax, [options]
    call parse
    ret


global parse
parse:
    call printf
    ret
