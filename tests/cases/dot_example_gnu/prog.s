	.data
options:
	.long 0
	.text
	.globl main
main:
	call init
	movl options, %eax
	call printf
	ret
	.globl init
init:
	movl options, %eax
	call parse
	ret
	.globl parse
parse:
	call printf
	ret
