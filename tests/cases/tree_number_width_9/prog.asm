global main
main:
    call a
    call b
    call c
    call d
