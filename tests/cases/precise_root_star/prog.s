	.text
	.globl	main
main:
	call	helper
