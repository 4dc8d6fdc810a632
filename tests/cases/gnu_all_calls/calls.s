	.globl main
main:
	call work
	call work
	call printf@PLT
	ret
	.globl work
work:
	call printf@PLT
	ret
