global _start
_start:
    call main
global main
main:
