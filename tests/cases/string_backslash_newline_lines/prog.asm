section .data
s db "one\
two", "three
four" t
u db 'it\'s' v
w dd 0
