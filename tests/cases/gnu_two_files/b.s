helper:
	call puts@PLT
	.globl work
work:
	call helper
