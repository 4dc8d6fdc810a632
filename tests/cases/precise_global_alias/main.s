	.text
	.globl	main
main:
	call	writeError
	call	closeAll
	ret
