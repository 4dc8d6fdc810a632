	.data
	.globl	counter
counter:
	.long	5
