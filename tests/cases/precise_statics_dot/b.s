	.text
	.type	helper, @function
helper:
	movq	scale(%rip), %rax
	ret
	.globl	twin
twin:
	jmp	helper
	.data
	.globl	shared
shared:
scale:
	.quad	7
