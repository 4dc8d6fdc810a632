global main
main:
    call main
