# PowerPC: a set that -p does not read.
	.globl	main
main:
	mflr 0
	stwu 1,-16(1)
	bl	parse
	blr
