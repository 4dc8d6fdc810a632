global a
a:
    call b
global b
b:
    call e
global e
e:
global c
c:
    call b
