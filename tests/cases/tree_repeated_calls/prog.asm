global main
main:
    call f
    call f
    call f
global f
f:
    call g
