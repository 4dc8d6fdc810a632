// Lexing of GNU assembler syntax, one row per case: the source texts of a
// run's files and the graph that scanning them must leave.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "tests/support/graph_text.h"

namespace {
struct gnu_case {
  const char *what;
  std::vector<std::string> files;
  const char *graph;     // as graph_text writes it
  bool precise = false;  // read as -p reads
};

void PrintTo(const gnu_case &c, std::ostream *os) {
  *os << c.what;
}

// Most rows run inside a function `f` defined on line 2.
#define IN_F ".globl f\nf:\n"

const gnu_case cases[] = {
    // Comments.
    {"/*/ is a whole comment", {".globl f /*/\nf:\n"}, "f/a:2()"},
    {"/**/ is a whole comment", {".globl f/**/\nf:\n"}, "f/a:2()"},
    {"a block comment counts its lines", {"/* a\n b\n*/ .globl f\nf:\n"}, "f/a:4()"},
    {"a newline parts * from /", {"/* *\n/ .globl g\ng:\n */ .globl f\nf:\n"}, "f/a:5()"},
    {"a label right after a line comment", {".globl f // note\nf:\n"}, "f/a:2()"},
    {"a backslash does not continue // ", {"// a\\\n.globl f\nf:\n"}, "f/a:3()"},
    {"a backslash in a block comment is nothing", {"/* \\*/ .globl f\nf:\n"}, "f/a:2()"},
    {"a lone slash parts two words", {".data\nb:\n.text\n" IN_F "a/b\n"}, "b/a:2{f} f/a:5()[b]"},
    {"a slash at the end of the file", {IN_F "call g\n/"}, "f/a:2()[g] g/a:-1(){f}"},
    {"end of file in a block comment", {IN_F "call g /* call h"}, "f/a:2()[g] g/a:-1(){f}"},
    {"a line comment longer than a read",
     {IN_F "// " + std::string(100000, 'c') + " call h\ncall g\n"},
     "f/a:2()[g] g/a:-1(){f}"},
    // The number sign and the semicolon are ordinary characters.
    {"# opens no comment", {IN_F "# call work\n"}, "f/a:2()[work] work/a:-1(){f}"},
    {"; opens no comment", {IN_F "nop ; call work\n"}, "f/a:2()[work] work/a:-1(){f}"},
    // Directives and the call mnemonic match with case only.
    {".TEXT is no section", {".data\n.TEXT\nx:\n"}, "x/a:3"},
    {".DATA is no section", {".DATA\nx:\n"}, ""},
    {".Globl captures nothing", {".Globl f\nf:\n"}, ""},
    {"global without a dot is a word", {"global f\nf:\n"}, ""},
    {".global captures", {".global f\nf:\n"}, "f/a:2()"},
    {".extern is no global", {".extern f\nf:\n"}, ""},
    {"CALL is no call", {IN_F "CALL work\n"}, "f/a:2()"},
    {"callq is no call", {IN_F "callq work\n"}, "f/a:2()"},
    {"callq names data like any word",
     {".data\nw:\n.text\n" IN_F "callq w\n"},
     "w/a:2{f} f/a:5()[w]"},
    {"jmp is no call", {IN_F "jmp work\n"}, "f/a:2()"},
    {"call through a register", {IN_F "call *%rax\n"}, "f/a:2()[rax] rax/a:-1(){f}"},
    {"call through the PLT", {IN_F "call foo@PLT\n"}, "f/a:2()[foo] foo/a:-1(){f}"},
    {"call of a local label", {IN_F "call .L5\n"}, "f/a:2()"},
    {"call of a numeric label", {".globl m\nm:\ncall 1f\n"}, "m/a:2()[f] f/a:-1(){m}"},
    {"a call before any function", {"call g\n" IN_F}, "f/a:3()"},
    {"call: is no label", {".data\ncall:\n"}, ""},
    {"0x10 is the word x10",
     {".data\nx10:\n.text\n" IN_F "mov 0x10, %eax\n"},
     "x10/a:2{f} f/a:5()[x10]"},
    // Labels need the colon directly after the word.
    {"a colon after a blank", {".globl f\nf :\n"}, ""},
    {"no colon, no label", {".data\nmsg .byte 0\n"}, ""},
    {"local and numeric labels", {".data\n.L3:\n1:\n"}, ""},
    {"main.cold: is no label", {".globl main\nmain.cold:\n"}, ""},
    {".type ends in a word", {".globl f\n.type f, @function\nf:\n"}, "f/a:3()"},
    {".p2align ends in a digit", {".globl f\n.p2align 4\nf:\n"}, ""},
    {"the last global wins", {".globl f\n.globl g\nf:\n"}, ""},
    {".globl a, b captures a", {".globl f, g\nf:\n"}, "f/a:2()"},
    {".globl a, b does not capture b", {".globl f, g\ng:\n"}, ""},
    {"nothing is captured outside code", {".data\n.globl v\nv:\n"}, "v/a:3"},
    {"captured in code, defined in data", {".globl v\n.data\n.size v, 4\nv:\n"}, "v/a:4 v/a:4()"},
    {"a static function's calls go to the last function",
     {IN_F ".type h, @function\nh:\ncall g\n"},
     "f/a:2()[g] g/a:-1(){f}"},
    // Section names: a dot word ends at the next full stop.
    {".text.startup enters code", {".data\n.section .text.startup\nx:\n"}, ""},
    {".data.rel.ro leaves code", {".section .data.rel.ro\nx:\n"}, "x/a:2"},
    {".rodata keeps code", {".section .rodata\nx:\n"}, ""},
    {".rodata keeps data", {".data\n.section .rodata\nx:\n"}, "x/a:3"},
    {".data1 keeps code", {".section .data1\nx:\n"}, ""},
    {".section .bss leaves code", {".section .bss,\"aw\"\nx:\n"}, "x/a:2"},
    {"a section name parts global and label", {".globl f\n.section .text\nf:\n"}, ""},
    // Quoted strings and character constants.
    {"a string hides a call", {IN_F ".ascii \"call g\"\n"}, "f/a:2()"},
    {"an escaped quote does not end a string", {IN_F ".ascii \"\\\"call g\"\n"}, "f/a:2()"},
    {"a string counts its lines", {"\"a\nb\nc\" .globl f\nf:\n"}, "f/a:4()"},
    {"backslash-newline in a string is a line", {".ascii \"a\\\nb\"\n.globl f\nf:\n"}, "f/a:4()"},
    {"a character constant runs to the next quote",
     {IN_F "movb $'a, %al\ncall g\n'\ncall h\n.data\nd:\n"},
     "f/a:2()[h] h/a:-1(){f} d/a:8"},
    {"an open string hides the rest", {"\"\n.globl f\nf:\n"}, ""},
    // Line ends.
    {"carriage returns are white space",
     {".globl f\r\nf:\r\ncall g\r\n"},
     "f/a:2()[g] g/a:-1(){f}"},
    {"a last line without a newline is cut off", {IN_F "call g"}, "f/a:2()"},
    {"a blank ends the last word", {IN_F "call g "}, "f/a:2()[g] g/a:-1(){f}"},
    // A file's pending name and current function end with the file; the
    // graph carries over.
    {"state starts afresh each file",
     {".globl f\nf:\ncall g\n.globl h\n.data\n", "h:\ncall f\n.globl g\ng:\n"},
     "f/a:2()[g] g/b:4(){f}"},

    // -p: names, comments and statements as the assembler reads them.
    {"-p: # comments, ; parts statements",
     {IN_F "call a # call b\ncall c; call d\n"},
     "f/a:2()[a,c,d] a/a:-1(){f} c/a:-1(){f} d/a:-1(){f}",
     true},
    {"-p: $ makes an immediate, . and $ continue names",
     {".data\nn$1:\n.text\n" IN_F "movl $n$1, %eax\ncall .x.y\n"},
     "n$1@a/a:2{f} f/a:5()[n$1@a,.x.y] .x.y/a:-1(){f}",
     true},
    {"-p: registers are no names, data after them is",
     {".data\nrax:\nv:\n.text\n" IN_F "movq %rax, v(%rip)\n"},
     "rax@a/a:2 v@a/a:3{f} f/a:6()[v@a]",
     true},
    {"-p: mnemonics in any case, callq and the PLT",
     {IN_F "CALLQ a@PLT\nCall b\n"},
     "f/a:2()[a,b] a/a:-1(){f} b/a:-1(){f}",
     true},
    {"-p: the last line needs no newline", {IN_F "call g"}, "f/a:2()[g] g/a:-1(){f}", true},
    // Which labels are functions, and who owns a call.
    {"-p: a static function owns its calls",
     {IN_F ".type h, @function\nh:\ncall g\n"},
     "f/a:2() h@a/a:4()[g] g/a:-1(){h@a}",
     true},
    {"-p: announced after the label, or by a call",
     {"f:\ncall h\nh:\ncall g\n.globl f\nk:\ncall g\n"},
     "f/a:1()[h@a] h@a/a:3()[g]{f} g/a:-1(){h@a}",
     true},
    {"-p: .globl lists, .weak and ifuncs",
     {".globl a, b\n.weak c\n.type d, %gnu_indirect_function\n"
      "a:\nb:\nc:\nd:\ncall x\n"},
     "a/a:4() b/a:5() c/a:6() d@a/a:7()[x] x/a:-1(){d@a}",
     true},
    {"-p: local and numeric labels are no functions nor targets",
     {IN_F ".L3:\n1:\ncall .L3\ncall 1f\njmp 1b\ncall g\n"},
     "f/a:2()[g] g/a:-1(){f}",
     true},
    {"-p: calls before any function are dropped", {"call g\n" IN_F}, "f/a:3()", true},
    {"-p: through a register or memory: no edge",
     {IN_F "call *%rax\ncall *8(%rbx)\ncall *t(%rip)\njmp *.L4(,%rax,8)\ncall h(%rip)\n"
           "call *g@GOTOFF(%rip)\ncall *k@ GOT(%rip)\ncall *%rax@GOT\ncall *__imp_\njmp *\n"},
     "f/a:2()",
     true},
    {"-p: through the GOT or an import slot: an edge to the function",
     {IN_F "call *g@GOTPCREL(%rip)\njmp *h@GOTPCREL(%rip)\ncall *__imp_i(%rip)\n"
           "call *__imp__j\ncall *k@GOT(%ebx)\nmovq m@GOTPCREL(%rip), %rax\n"
           "call *n@GOTPCREL(%rip)\ncall *byte@GOTPCREL(%rip)",
      ".intel_syntax noprefix\n.globl p\np:\ncall QWORD PTR q@GOTPCREL[rip]\n"
      "call [QWORD PTR r@GOTPCREL[rip]]\njmp qword ptr [rip + s@GOTPCREL]\n"
      "call QWORD PTR [rip+__imp_u]\ncall QWORD PTR [rip+v]\ncall QWORD PTR word@GOTPCREL[rip]\n"},
     "f/a:2()[g,h,i,_j,k,n,byte] g/a:-1(){f} h/a:-1(){f} i/a:-1(){f} _j/a:-1(){f} k/a:-1(){f} "
     "n/a:-1(){f} byte/a:-1(){f} p/b:3()[q,r,s,u,word] q/b:-1(){p} r/b:-1(){p} s/b:-1(){p} "
     "u/b:-1(){p} word/b:-1(){p}",
     true},
    {"-p: tail calls, and jumps that are none",
     {".globl f, k\nf:\njmp ext\njne ext2@PLT\njmp f\njmp inner\ninner:\njmp k\nk:\n"},
     "f/a:2()[ext,ext2,k] ext/a:-1(){f} ext2/a:-1(){f} k/a:9(){f}",
     true},
    {"-p: clones are their function",
     {IN_F "call g.part.0\n.type f.cold, @function\nf.cold:\n"
           "call abort\ncall f.constprop.0\n"},
     "f/a:2()[g,abort,f]{f} g/a:-1(){f} abort/a:-1(){f}",
     true},
    {"-p: Intel syntax: registers and memory without marks",
     {".intel_syntax noprefix\n" IN_F "call rax\ncall QWORD PTR [rbx+8]\ncall [rip+t]\ncall g\n"
      "call byte@PLT\njmp dword@PLT\n"},
     "f/a:3()[g,byte,dword] g/a:-1(){f} byte/a:-1(){f} dword/a:-1(){f}",
     true},
    {"-p: a macro's body is no code",
     {IN_F ".macro M name\n\\name:\ncall inmacro\n.endm\ncall g\n"},
     "f/a:2()[g] g/a:-1(){f}",
     true},
    {"-p: clang's .Lf$local is f",
     {IN_F ".Lf$local:\ncall .Lg$local\njmp .Lf$local\n"},
     "f/a:2()[g] g/a:-1(){f}",
     true},
    {"-p: i386 calls, a program counter thunk is no edge",
     {IN_F "calll g\ncall h@PLT\ncall __x86.get_pc_thunk.bx\njmp __x86.get_pc_thunk.ax\n"},
     "f/a:2()[g,h,__x86.get_pc_thunk.ax] g/a:-1(){f} h/a:-1(){f} __x86.get_pc_thunk.ax/a:-1(){f}",
     true},
    {"-p: RISC-V calls and tail calls; registers, %hi and # comments are no names",
     {".data\nd:\n.option pic\n.text\n" IN_F
      "call g@plt\ntail h\njal ra, i\njal k\nj m\njalr a5\njr ra\n"
      "lui a5,%hi(d)\nbnez a0, .L1\nbeq a0, a1, n # call x\n"},
     "d@a/a:2{f} f/a:6()[g,h,i,k,m,d@a,n] g/a:-1(){f} h/a:-1(){f} i/a:-1(){f} k/a:-1(){f} "
     "m/a:-1(){f} "
     "n/a:-1(){f}",
     true},
    {"-p: AArch64 calls and tail calls; # is an immediate, :lo12: no name",
     {".data\nd:\nlo12:\n.arch armv8-a\n.text\n" IN_F "mov x0, #1 ; bl g\nb h\ncbz x0, k\nblr x1\n"
      "br x2\nadrp x0, d\nadd x0, x0, :lo12:d // bl z\nb.ne .L2\n"},
     "d@a/a:2{f} lo12@a/a:3 f/a:7()[g,h,k,d@a] g/a:-1(){f} h/a:-1(){f} k/a:-1(){f}",
     true},
    {"-p: a set per file, shown by a mnemonic and its register",
     {IN_F "addi sp,sp,-16\ntail g\n", ".globl h\nh:\nstp x29, x30, [sp, -16]!\nb g\n",
      ".globl k\nk:\nstr reset\npushq %rbp\ncall q\ntail r\nb r\n"},
     "f/a:2()[g] g/a:-1(){f,h} h/b:2()[g] k/c:2()[q] q/c:-1(){k}",
     true},
    {"-p: 32-bit ARM: @ comments, # immediates, (PLT), Thumb widths; .fpu outvotes .arch armv8",
     {".arch armv8-a\n.fpu vfp\n.data\nd:\n.text\n.syntax unified\n.thumb_func\n" IN_F
      "push {r4, lr} @ bl x; bl y\nbl g(PLT)\nblx h\nblx r3\nbx lr\nb.w k\nbeq.n m\ncbz r0, n\n"
      "movw r1, #:lower16:d\nbleq p\nb .L2\n"},
     "d@a/a:4{f} f/a:9()[g,h,k,m,n,d@a,p] g/a:-1(){f} h/a:-1(){f} k/a:-1(){f} m/a:-1(){f} "
     "n/a:-1(){f} "
     "p/a:-1(){f}",
     true},
    {"-p: a / that ends the file after a file's first mnemonic is read once",
     {".globl f\nf:\nr/"},
     "f/a:2()",
     true},
    {"-p: .thumb_set makes another name, as .set does",
     {".syntax unified\n.thumb\n.type r,%function\nr: bx lr\n.thumb_set w, r\n.globl m\n"
      ".type m,%function\nm: bl w\n"},
     "r@a/a:4(){m} m/a:8()[r@a]",
     true},
    {"-p: .arch armv8 alone is AArch64; an ARM register shows 32-bit ARM",
     {".arch armv8-a\n" IN_F "mov w0, 1\nb.ne g\ntbz x0, #3, h\n",
      ".arch armv8-a\n.globl k\nk:\nldr r3, [pc]\nb.w g\nbhi h\n"},
     "f/a:3()[g,h] g/a:-1(){f,k} h/a:-1(){f,k} k/b:3()[g,h]",
     true},
    {"-p: a call before the file shows its set is read as that of the first set that has it",
     {IN_F "b g\n.globl h\nh:\nstp x29, x30, [sp, -16]!\nbl k\n",
      ".globl m\nm:\nbl n\nmov w0, 1\nb.ne p\n"},
     "f/a:2()[g] g/a:-1(){f} h/a:5()[k] k/a:-1(){h} m/b:2()[n,p] n/b:-1(){m} p/b:-1(){m}",
     true},
    {"-p: Mach-O: segment,section names, _ dropped, L and l local, ; comments in AArch64",
     {".section __TEXT,__text,regular,pure_instructions\n.build_version macos, 11, 0\n"
      ".globl _main ; -- Begin function main\n_main: ; @main\n; kill: def $w0\n"
      "stp x29, x30, [sp, #-16]!\nbl _f\nLtmp0:\nb _g\nl_x:\nbl _puts\n_helper:\nbl __Z1hi\n"
      "b _main\n.section __TEXT,__cstring,cstring_literals\n_s:\n.section __DATA,__data\n"
      "_counter:\n.subsections_via_symbols\n"},
     "main*/a:4()[f,g,puts]{helper@a} f/a:-1(){main} g/a:-1(){main} puts/a:-1(){main} "
     "helper@a/a:12()[h(int),main] h(int)/a:-1(){helper@a} s@a/a:16 counter@a/a:18",
     true},
    {"-p: Mach-O x86-64: ## comments, callq and a tail jmp",
     {".section __TEXT,__text,regular,pure_instructions\n.globl _main ## -- Begin\n_main:\n"
      "pushq %rbp\ncallq _f ## callq _x\njmp _g\nLBB0_1:\njmp LBB0_1\n"},
     "main*/a:3()[f,g] f/a:-1(){main} g/a:-1(){main}",
     true},
    {"-p: PE/COFF: .def blocks of type 32 make functions, static ones too; .seh_ passed over",
     {".text\n.def f; .scl 2; .type 32; .endef\n.seh_proc f\nf:\n.seh_endprologue\ncall s\n"
      "ret\n.seh_endproc\n.def s; .scl 3; .type 32; .endef\ns:\ncall puts\njmp t\n"
      ".def t; .scl 3; .type 0; .endef\nt:\ncall u\n.def puts; .scl 2; .type 32; .endef\n"},
     "f@a/a:4()[s@a] s@a/a:10()[puts,u]{f@a} puts/a:-1(){s@a} u/a:-1(){s@a}",
     true},
    {"-p: C++ names demangled",
     {".globl _ZN3foo3barEv\n_ZN3foo3barEv:\ncall _Z1gi@PLT\n"},
     "foo::bar()/a:2()[g(int)] g(int)/a:-1(){foo::bar()}",
     true},
    // Statics and data, as the linker joins the files of a run.
    {"-p: a static is its file's own, a global of its name elsewhere a third",
     {".globl fa\nfa:\ncall helper\njmp helper\n.type helper, @function\nhelper:\nret\n",
      ".globl fb\nfb:\ncall helper\nhelper:\ncall helper.part.0\nhelper.part.0:\n",
      ".globl fc\nfc:\ncall helper\n", "helper:\ncall fa\n.weak helper\n"},
     "fa/a:2()[helper@a]{helper} helper@a/a:6(){fa} fb/b:2()[helper@b] "
     "helper@b/b:4()[helper@b]{fb,helper@b} "
     "fc/c:2()[helper] helper/d:1()[fa]{fc}",
     true},
    {"-p: the same in the other order",
     {"helper:\ncall fa\n.weak helper\n", ".globl fc\nfc:\ncall helper\n",
      ".globl fb\nfb:\ncall helper\nhelper:\ncall helper.part.0\nhelper.part.0:\n",
      ".globl fa\nfa:\ncall helper\njmp helper\n.type helper, @function\nhelper:\nret\n"},
     "helper/a:1()[fa]{fc} fa/d:2()[helper@d]{helper} fc/b:2()[helper] fb/c:2()[helper@c] "
     "helper@c/c:4()[helper@c]{fb,helper@c} helper@d/d:6(){fa}",
     true},
    {"-p: data after the code, static or global, and global data of a later file",
     {".globl f\nf:\nmovq counter(%rip), %rax\nmovq shared(%rip), %rbx\naddq scale, %rcx\n"
      "leaq f(%rip), %rdx\nmovq other, %rax\n.data\n.globl counter\ncounter:\nscale:\n",
      ".globl g\ng:\nmovq scale(%rip), %rax\nmovq counter(%rip), %rax\n"
      ".section .rodata\nscale:\n.data\n.globl shared\nshared:\n",
      ".globl h\nh:\nmovl scale, %eax\nmovl shared, %eax\nmov other, %eax\n"},
     "f/a:2()[counter,scale@a,shared] counter/a:10{f,g} scale@a/a:11{f} "
     "g/b:2()[scale@b,counter] scale@b/b:6{g} shared/b:9{h,f} h/c:2()[shared]",
     true},
    {"-p: .set, .equ and = make another name; .func announces",
     {".globl f\nf:\ncall a\ncall b\ncall c\nmovl d, %eax\n.set a, g\n.equ b, g\nc = g\n"
      "e = 4\n.set n, g+1\n.func g\ng:\nret\n.data\nx:\n.set d, x\n"},
     "f/a:2()[g@a,x@a] g@a/a:13(){f} x@a/a:16{f}",
     true},
    {"-p: an alias made global reaches the calls and references of later files",
     {".type h, @function\nh:\nret\n.globl x\n.set x, h\n.set y, t\n.weak y\n.globl t\n"
      ".type t, @function\nt:\nret\n.data\nd:\n.globl e\ne = d\n",
      ".globl f\nf:\ncall g\ncall x\ncall h\ncall y\ncall t\ncall y\nmovl e, %eax\n"},
     "h@a/a:2(){f} t/a:10(){f} d@a/a:13{f} f/b:2()[g,h@a,h,t,d@a] g/b:-1(){f} x~/b:-1() "
     "h/b:-1(){f} y~/b:-1()",
     true},
    {"-p: the same in the other order; an alias in its own file only stays there",
     {".globl f\nf:\ncall g\ncall x\ncall h\ncall y\ncall t\ncall y\nmovl e, %eax\ncall z\n",
      ".type h, @function\nh:\nret\n.globl x\n.set x, h\n.set y, t\n.weak y\n.globl t\n"
      ".type t, @function\nt:\nret\n.data\nd:\n.globl e\ne = d\n.set z, h\n"},
     "f/a:2()[g,h@b,h,t,z,d@b] g/a:-1(){f} x~/a:-1() h/a:-1(){f} y~/a:-1() t/b:10(){f} "
     "z/a:-1(){f} h@b/b:2(){f} d@b/b:13{f}",
     true},
    {"-p: a weak alias yields to a strong definition of its name in another file, else to its "
     "target",
     {".type d, @function\nd:\nret\n.weak hook, lone\n.set hook, d\n.set lone, d\n.globl run\n"
      "run:\ncall hook\njmp lone\n",
      ".globl hook\n.type hook, @function\nhook:\nret\n"},
     "d@a/a:2(){run} run/a:8()[hook,d@a] hook/b:3(){run} lone~/a:-1()",
     true},
    {"-p: quoted names are names",
     {".globl \"?t@@YAHH@Z\"\n\"?t@@YAHH@Z\":\ncall \"?u@@YAXXZ\"\ncall \"a\\\"b\"\n"
      ".type \"?s@@YAXXZ\", @function\n\"?s@@YAXXZ\": jmp \"?t@@YAHH@Z\"\ncall \"\"\ncall \"x\n"},
     "?t@@YAHH@Z/a:2()[?u@@YAXXZ,a\"b]{?s@@YAXXZ@a} ?u@@YAXXZ/a:-1(){?t@@YAHH@Z} "
     "a\"b/a:-1(){?t@@YAHH@Z} ?s@@YAXXZ@a/a:6()[?t@@YAHH@Z,\"\",x] \"\"/a:-1(){?s@@YAXXZ@a} "
     "x/a:-1(){?s@@YAXXZ@a}",
     true},
    // Sections.
    {"-p: code sections by name or flags, data by default",
     {".section .text.startup,\"ax\",@progbits\n" IN_F "call a\n.section .rodata\nr:\ncall b\n"
      ".section .init\n.globl i\ni:\ncall c\n.section .x,\"ax\"\n.globl j\nj:\ncall d\n"},
     "f/a:3()[a] a/a:-1(){f} r@a/a:6 i/a:10()[c] c/a:-1(){i} j/a:14()[d] d/a:-1(){j}",
     true},
    {"-p: a section goes on with its own function",
     {IN_F "call a\n.section .text.unlikely,\"ax\"\n.globl h\nh:\ncall b\n.text\ncall c\n"
           ".pushsection .data\nd:\n.popsection\ncall e\n.previous\ncall x\n"},
     "f/a:2()[a,c,e] a/a:-1(){f} h/a:6()[b] b/a:-1(){h} c/a:-1(){f} d@a/a:11 e/a:-1(){f}",
     true},
};

class GnuLexing : public testing::TestWithParam<gnu_case> {};

TEST_P(GnuLexing, BuildsGraph) {
  const gnu_case &c = GetParam();
  for_each_reading([&](const std::string &what, const lex_chars *chars, size_t read_cap) {
    SCOPED_TRACE(what);
    call_graph graph;
    EXPECT_EQ(scan_texts(&graph, c.files, c.precise ? scan_gnu_precise : scan_gnu, chars, read_cap),
              1);
    EXPECT_EQ(graph_text(graph), c.graph);
    graph_free(&graph);
  });
}

INSTANTIATE_TEST_SUITE_P(Rows, GnuLexing, testing::ValuesIn(cases));

// Two runs read side by side in one process: each keeps the references that
// wait for its own end, whatever the other reads or ends meanwhile.
TEST(GnuRuns, SideBySideKeepTheirOwnWaitingReferences) {
  call_graph graphs[2];
  scan_run runs[2];
  for (int i = 0; i < 2; ++i)
    scan_run_begin(&runs[i], &graphs[i]);
  const char *user = ".globl f\nf:\nmovq counter(%rip), %rax\n";
  EXPECT_EQ(scan_text(&runs[0], user, "a", scan_gnu_precise), scan_status::done);
  EXPECT_EQ(scan_text(&runs[1], user, "a", scan_gnu_precise), scan_status::done);
  const char *data = ".data\n.globl counter\ncounter:\n";
  EXPECT_EQ(scan_text(&runs[1], data, "b", scan_gnu_precise), scan_status::done);
  EXPECT_EQ(scan_run_end(&runs[1], true), scan_status::done);
  EXPECT_EQ(scan_text(&runs[0], data, "b", scan_gnu_precise), scan_status::done);
  EXPECT_EQ(scan_run_end(&runs[0], true), scan_status::done);
  for (call_graph &graph : graphs) {
    EXPECT_EQ(graph_text(graph), "f/a:2()[counter] counter/b:3{f}");
    graph_free(&graph);
  }
}
}  // namespace
