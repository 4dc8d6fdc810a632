# Names that are no plain identifiers, a data label and a function whose
# ids could meet, DOT keywords, and a demangled name with quotes in it.
	.data
	.globl	x
x:	.long 0
	.text
	.globl	x_var
	.type	x_var, @function
x_var:
	movl	x(%rip), %eax
	call	_ZN3foo3barIiEEvT_
	call	node
	call	_Zli4_minPKc
	jmp	a.b$c@PLT
	.globl	_ZN3foo3barIiEEvT_
_ZN3foo3barIiEEvT_:
	call	_ZdlPv
	ret
