section .data
x dd 1 ; a\b
y dd 2 ; continued \
z dd 3
w dd 4
