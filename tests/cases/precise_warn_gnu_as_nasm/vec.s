	movaps	%xmm0, %xmm1
	call	puts
