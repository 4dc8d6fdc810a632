section .text
global helper
helper:
    call util
global main
main:
    call helper
    call other
