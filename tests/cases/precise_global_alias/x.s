	.text
	.type	readError, @function
readError:
	call	perror
	ret
	.globl	writeError
	.set	writeError, readError
