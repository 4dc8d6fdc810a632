	.text
	.globl main
main:
	call work
	.globl helper
