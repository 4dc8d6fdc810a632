global a
a:
    call t
global _b
_b:
    call t
global c
c:
    call t
global t
t:
    ret
