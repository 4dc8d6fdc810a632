	.file	"prog.c"
	.text
	.section	.gnu.lto_.profile.2d3f,"e",@progbits
	.string	"x\234"
	.section	.gnu.lto_.decls.2d3f,"e",@progbits
	.string	"y"
