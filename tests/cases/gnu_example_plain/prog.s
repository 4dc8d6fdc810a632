/* data */
	.data
counter:
	.long 0
	.text
	.globl main
// entry
main:
	mov counter(%rip), %eax
	call work
	ret
	.globl work
work:
	call *%rax
	ret
