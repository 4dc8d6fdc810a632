global main
main:
    call a
    call b
global a
a:
    call b
global b
b:
    call c
global c
c:
