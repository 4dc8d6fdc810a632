	.file	"lines.c"
	.text
	.section	.rodata
.LC0:
	.string	"/dev/stdin"
.LC1:
	.string	"r"
.LC2:
	.string	"fopen"
.LC3:
	.string	"%ld\n"
	.text
	.globl	main
	.type	main, @function
main:
	pushq	%rbp
	movq	%rsp, %rbp
	subq	$32, %rsp
	movl	%edi, -20(%rbp)
	movq	%rsi, -32(%rbp)
	cmpl	$1, -20(%rbp)
	jle	.L2
	movq	-32(%rbp), %rax
	movq	8(%rax), %rax
	jmp	.L3
.L2:
	leaq	.LC0(%rip), %rax
.L3:
	leaq	.LC1(%rip), %rdx
	movq	%rdx, %rsi
	movq	%rax, %rdi
	call	fopen@PLT
	movq	%rax, -8(%rbp)
	cmpq	$0, -8(%rbp)
	jne	.L4
	leaq	.LC2(%rip), %rax
	movq	%rax, %rdi
	call	fail
.L4:
	movq	-8(%rbp), %rax
	movq	%rax, %rdi
	call	count_lines
	movq	%rax, %rsi
	leaq	.LC3(%rip), %rax
	movq	%rax, %rdi
	movl	$0, %eax
	call	printf@PLT
	movq	-8(%rbp), %rax
	movq	%rax, %rdi
	call	fclose@PLT
	testl	%eax, %eax
	setne	%al
	movzbl	%al, %eax
	leave
	ret
	.size	main, .-main
	.type	fail, @function
fail:
	pushq	%rbp
	movq	%rsp, %rbp
	subq	$16, %rsp
	movq	%rdi, -8(%rbp)
	movq	-8(%rbp), %rax
	movq	%rax, %rdi
	call	perror@PLT
	movl	$1, %edi
	call	exit@PLT
	.size	fail, .-fail
	.type	count_lines, @function
count_lines:
	pushq	%rbp
	movq	%rsp, %rbp
	subq	$32, %rsp
	movq	%rdi, -24(%rbp)
	movq	$0, -8(%rbp)
	jmp	.L8
.L9:
	cmpl	$10, -12(%rbp)
	sete	%al
	movzbl	%al, %eax
	addq	%rax, -8(%rbp)
.L8:
	movq	-24(%rbp), %rax
	movq	%rax, %rdi
	call	getc@PLT
	movl	%eax, -12(%rbp)
	cmpl	$-1, -12(%rbp)
	jne	.L9
	movq	-8(%rbp), %rax
	leave
	ret
	.size	count_lines, .-count_lines
	.section	.note.GNU-stack,"",@progbits
