global main
main:
    call one
