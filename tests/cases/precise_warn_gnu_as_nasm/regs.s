	movq	%rsp, %rbp
	call	puts
