// Nothing here says which instruction set this is; -m names it.
	.globl	main
main:
	bl	parse
	cbz	w0, .L2
	b	report
.L2:
	ret
