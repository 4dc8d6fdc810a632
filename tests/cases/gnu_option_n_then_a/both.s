global main
	.globl main
main:
	call work ; call other
	call more
