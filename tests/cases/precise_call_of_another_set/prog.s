# x86-64 by its pushq, with an AArch64 call pasted in.
	.globl	main
main:
	pushq	%rbp
	call	parse
	bl	report
	popq	%rbp
	ret
