global a
a:
    call b
global b
b:
    call a
