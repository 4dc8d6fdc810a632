global main
main:
    call two
