global f
f:
global Zed
Zed:
    call f
global _u
_u:
    call f
global f
f:
global alpha
alpha:
