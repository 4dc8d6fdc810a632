global start
start:
    call main
global main
main:
    call exit
