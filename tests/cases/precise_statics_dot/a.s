	.text
	.type	helper, @function
helper:
	movq	scale(%rip), %rax
	ret
	.globl	main
main:
	call	helper
	call	twin
	movq	shared(%rip), %rax
	ret
	.data
scale:
	.quad	3
