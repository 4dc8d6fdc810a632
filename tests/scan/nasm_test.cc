// The NASM lexer, seen through the graph that the shared rules build from it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "tests/support/graph_text.h"

namespace {
using namespace std::string_literals;

struct lex_case {
  const char *what;
  std::vector<std::string> files;
  const char *graph;
  bool precise = false;  // read as -p reads
};

const lex_case lex_cases[] = {
    {"empty file", {""}, ""},
    {"only blanks and comments", {"  \n\t; note\n;\\\n\n; last"}, ""},
    {"global, then the label on the next line",
     {"global main\nmain:\n    call printf\n"},
     "main*/a:2()[printf] printf/a:-1(){main}"},
    {"comments, strings and stray characters keep the previous token",
     {"global main ; entry\n'x' + `\n\nmain:\n"},
     "main*/a:4()"},
    {"a section name between global and label",
     {"global main\nsection .text\nmain:\ncall f\n"},
     ""},
    {"only the last global waits", {"global a\nglobal b\na:\n"}, ""},
    {"a colon after the global name", {"global main:function\nmain:\n"}, ""},
    {"the pending name is matched with case", {"global Main\nmain:\n"}, ""},
    {"keywords and section names ignore case",
     {"SECTION .DATA\nx dd 1\nSection .Text\nGLOBAL f\nf:\nCall g\nmov eax, [x]\n"},
     "x/a:2{f} f/a:5()[g,x] g/a:-1(){f}"},
    {"the first word on a line is a label", {"global main\n  main\n"}, "main*/a:2()"},
    {"labels in a data section",
     {"section .data\nx: dd 1\nmsg db 0\n    dd 0\n"},
     "x/a:2 msg/a:3 dd/a:4"},
    {"the newline ending a comment ends the line",
     {"section .data\na dd 1 ; first\nb dd 2\n"},
     "a/a:2 b/a:3"},
    {"a backslash in a comment is no line", {"section .data\n; a\\b\nc dd 1\n"}, "c/a:3"},
    {"a backslash-newline carries a comment on",
     {"section .data\n; a \\\nb dd 1\nc dd 1\n"},
     "c/a:4"},
    {"a string over three lines; a word after it is no label",
     {"section .data\ns db \"a\nb\nc\" t\nu dd 1\n"},
     "s/a:2 u/a:5"},
    {"backslash-newline and an escaped quote in strings",
     {"section .data\ns db \"a\\\nb\"\nu db 'it\\'s' v\nw dd 1\n"},
     "s/a:2 u/a:4 w/a:5"},
    {"a data reference after an identifier",
     {"section .data\ncounter dd 0\nsection .text\nglobal f\nf:\n    mov eax, [counter]\n"},
     "counter/a:2{f} f/a:5()[counter]"},
    {"no reference after a first word, nor to a later label",
     {"section .data\ncounter dd 0\nsection .text\nglobal f\nf:\n    mov [counter], eax\n"
      "    mov eax, [later]\nsection .data\nlater dd 0\n"},
     "counter/a:2 f/a:5() later/a:9"},
    {"a function name is no data reference",
     {"global g\ng:\nglobal f\nf:\n    mov rax, g\n"},
     "g/a:2() f/a:4()"},
    {"calls through a register and through memory",
     {"section .data\ntable dd 0\nsection .text\nglobal f\nf:\n    call rax\n    call [rel "
      "table]\n"},
     "table/a:2{f} f/a:5()[rax,rel,table] rax/a:-1(){f} rel/a:-1(){f}"},
    {"nothing is charged before the file's first definition",
     {"global f\nf:\n", "call g\nglobal h\nh:\n"},
     "f/a:2() h/b:3()"},
    {"extern adds nothing", {"extern printf\n"}, ""},
    {"local labels and other sections",
     {"section .rodata\nx: dd 1\n.loop:\nsection .data\nsection .rodata\ny: dd 1\n"},
     "y/a:6"},
    {"a word cut off by the end of the file", {"global f\nf:\n    call exit"}, "f/a:2()"},
    {"an unterminated string hides the rest",
     {"global f\nf:\n    db \"oops\n    call g\n"},
     "f/a:2()"},
    {"digits continue words but never begin them", {"section .data\n0x10\nr8d dd 1\n"}, "r8d/a:3"},
    {"only blanks may stand before a first word: every kind of blank, no NUL, no digits",
     {"section .data\n\t\v\f\r a dd 1\n\0b dd 2\n 12 c dd 3\nd.e dd 4\n"s},
     "a/a:2 d/a:5"},
    {"a backquote is no string delimiter",
     {"section .data\nc dd 0\nsection .text\nglobal f\nf:\n    mov eax, `c`\n"},
     "c/a:2{f} f/a:5()[c]"},
    {"one label outside code makes a data symbol, then a function",
     {"global f\n.data junk f:\n"},
     "f/a:2 f/a:2()"},
    {"a keyword followed by a colon is no label", {"section .data\ncall: dd 1\n"}, ""},
    {"bytes outside the C locale's letters", {"section .data\n\xc3\xa9t\xc3\xa9 dd 1\n"}, ""},

    // -p: every label in code is a routine, and local ones are not; one that
    // its file does not share (global, extern, common) is the file's own: @file.
    {"-p: routines without global; local labels stay inside",
     {"start:\n  call init\n.loop:\n  call .loop\n  jmp .loop\ninit:\n  ret\n"},
     "start@a/a:1()[init@a] init@a/a:6(){start@a}",
     true},
    {"-p: each file's calls reach its own routine of a name, a shared one stays apart",
     {"global main\nmain:\n  call helper\n  call shared\nhelper:\n  ret\n",
      "global twin\nhelper:\n  ret\ntwin:\n  jmp helper\n",
      "global shared, helper\nshared:\n  call helper\nhelper:\n  ret\n"},
     "main*/a:2()[helper@a,shared] helper@a/a:5(){main} shared/c:2()[helper]{main} "
     "helper@b/b:2(){twin} twin/b:4()[helper@b] helper/c:4(){shared}",
     true},
    {"-p: the same files read in the other order",
     {"global shared, helper\nshared:\n  call helper\nhelper:\n  ret\n",
      "global twin\nhelper:\n  ret\ntwin:\n  jmp helper\n",
      "global main\nmain:\n  call helper\n  call shared\nhelper:\n  ret\n"},
     "shared/a:2()[helper]{main} helper/a:4(){shared} helper@b/b:2(){twin} twin/b:4()[helper@b] "
     "main*/c:2()[helper@c,shared] helper@c/c:5(){main}",
     true},
    {"-p: global after the label, a list with types, extern and common",
     {"f:\n  call g\n  call e\n  jmp h\ng:\n  ret\nh:\nGLOBAL f, h:function\nextern e:wrt ..plt\n"
      "common c 4\n",
      "x:\n  call f\n  call h\n  call g\n  call c\n"},
     "f/a:1()[g@a,e,h]{x@b} g@a/a:5(){f} h/a:7(){f,x@b} e/a:-1(){f} x@b/b:1()[f,h,g,c] "
     "g/b:-1(){x@b} c/b:-1(){x@b}",
     true},
    {"-p: a routine's calls keep their order when one waits for the end of the file",
     {"global f\nextern p, q\nf:\n  call p\n  call later\n  call q\n  jmp p\nlater:\n  ret\n"},
     "f/a:3()[p,later@a,q] p/a:-1(){f} later@a/a:8(){f} q/a:-1(){f}",
     true},
    {"-p: labels without a colon only before data",
     {"f: call g\nret\nputc mov ah, 14\nmsg db 'hi', 0\nbuf times 4 db 0\nn equ 5\n"
      "section .data\nx dd 1\ny: resb 4\n  dd 0\n"},
     "f@a/a:1()[g] x@a/a:8 y@a/a:9 g/a:-1(){f@a}",
     true},
    {"-p: data in code is no routine, a label with a colon before data neither",
     {"f:\n  call a\ntab: dq 0\n  call b\nglobal g:function\n  call c\n"},
     "f@a/a:1()[a,b,c] a/a:-1(){f@a} b/a:-1(){f@a} c/a:-1(){f@a}",
     true},
    {"-p: comments, strings and continued lines",
     {"f:\n  db ';', \"call x\", `\\`call y`\n  call a ; call b\n  call \\\n c\n  ; \\\n call d\n"},
     "f@a/a:1()[a,c] a/a:-1(){f@a} c/a:-1(){f@a}",
     true},
    {"-p: names of NASM's own characters, $ before a keyword",
     {"?f@1:\n  call a~b#c\n  call $rax\n  call $0x10\n"},
     "?f@1@a/a:1()[a~b#c,rax] a~b#c/a:-1(){?f@1@a} rax/a:-1(){?f@1@a}",
     true},
    {"-p: through a register or memory: no edge; sizes before a name",
     {"f:\n  call rax\n  call [rbx+8]\n  call qword [rel t]\n  CALL R8D\n  call near g\n"
      "  jmp short .x\n  call far [x]\n.x:\n"},
     "f@a/a:1()[g] g/a:-1(){f@a}",
     true},
    {"-p: a first word whose line goes on before data; a name deferred twice counts once",
     {"f:\n  mov eax, w\n  lea rdi, [rel w]\n  mov ebx, x\nsection .data\nx \\\n dd 1\nw dd 0\n"},
     "f@a/a:1()[w@a,x@a] x@a/a:7{f@a} w@a/a:8{f@a}",
     true},
    {"-p: a bare register never names data, whatever the run defines; $ before it does",
     {"section .data\n$rax dd 0\nsection .text\nf:\n  mov eax, [rax]\n  mov ecx, rcx\n"
      "  call [$rax]\nglobal $rax\n",
      "g:\n  mov eax, [$rax]\n  mov eax, [$rbx]\n  lea rsi, [rel $rsi]\n  mov eax, [rsi]\n"
      "section .data\n$rbx dd 0\n$rsi: dd 0\n"},
     "rax/a:2{g@b} f@a/a:4() g@b/b:1()[rbx@b,rsi@b,rax] rbx@b/b:7{g@b} rsi@b/b:8{g@b}",
     true},
    {"-p: every x86 register NASM knows, in any case, is none; names like one are names",
     {"section .data\n$al db 0\n$xmm0 dd 0\n$r8b db 0\n$k7 db 0\n$CR0 dd 0\nxmm32 dd 0\n"
      "r16 dd 0\nk8 dd 0\nxmm01 dd 0\nr7b dd 0\nsection .text\nf:\n  mov al, [al]\n"
      "  movd xmm0, [xmm0]\n  mov r8b, [r8b]\n  kmovb k7, [k7]\n  mov eax, CR0\n"
      "  mov eax, [xmm32]\n  mov eax, [r16]\n  mov eax, [k8]\n  mov eax, [xmm01]\n"
      "  mov eax, [r7b]\n"},
     "al@a/a:2 xmm0@a/a:3 r8b@a/a:4 k7@a/a:5 CR0@a/a:6 xmm32@a/a:7{f@a} r16@a/a:8{f@a} "
     "k8@a/a:9{f@a} xmm01@a/a:10{f@a} r7b@a/a:11{f@a} f@a/a:13()[xmm32@a,r16@a,k8@a,xmm01@a,r7b@a]",
     true},
    {"-p: a local label named from outside its routine",
     {"f:\n.x:\ng:\n  jmp f.x\n  call f.x\n"},
     "f@a/a:1() g@a/a:3()",
     true},
    {"-p: tail jumps to routines and to names defined nowhere",
     {"f:\n  jz f\n  jmp near h\n  jnz ext\n  jmp msg\nmsg db 0\nh:\n  jmp .y\n.y:\n"},
     "f@a/a:1()[h@a,ext] h@a/a:7(){f@a} ext/a:-1(){f@a}",
     true},
    {"-p: sections by name and attributes; calls in data belong to nobody",
     {"section .data\nv dd 0\n  call x\nsection .text\nf:\n  mov eax, [v]\n  call y\n"
      "[section .init exec]\ng:\n  call z\nsection .text noexec\nh dd 0\n",
      "  call q\nsection .text\nk: mov [v], eax\n"},
     "v@a/a:2{f@a} f@a/a:5()[v@a,y] g@a/a:9()[z] h@a/a:12 y/a:-1(){f@a} z/a:-1(){g@a} k@b/b:3()",
     true},
    {"-p: an operand names data defined before or after it, its file's own or global in any file",
     {"f:\n  mov eax, v\n  mov eax, w\n  mov ebx, eax\n  call g\nsection .data\nv dd 0\n"
      "section .text\ng:\n  mov eax, v\n  mov eax, g\nglobal v\n",
      "section .data\nw dd 0\nsection .text\nh: mov eax, [rel v]\nglobal w\n",
      "extern w\nk:\n  mov eax, [v]\n  mov eax, [w]\nsection .bss\nv resd 1\n"},
     "f@a/a:1()[g@a,v,w] v/a:7{g@a,f@a,h@b} g@a/a:9()[v]{f@a} w/b:2{k@c,f@a} h@b/b:4()[v] "
     "k@c/c:2()[w,v@c] v@c/c:6{k@c}",
     true},
    {"-p: macro bodies, macro-local labels and strucs",
     {"%macro M 0\nm:\n  call inmacro\n%endmacro\n%define X 1\nf:\n%%l: call a\n"
      "struc s\n.a resb 1\nfield: resd 1\nendstruc\n  call b\n"},
     "f@a/a:6()[a,b] a/a:-1(){f@a} b/a:-1(){f@a}",
     true},
    {"-p: cglobal begins a routine",
     {"cglobal fn, 3, 3\n  call g\n"},
     "fn/a:1()[g] g/a:-1(){fn}",
     true},
    {"-p: clones and relocation suffixes are their function",
     {"f.part.0:\n  call g wrt ..plt\n  call h@PLT\nf:\n"},
     "f@a/a:1()[g,h] g/a:-1(){f@a} h/a:-1(){f@a}",
     true},
    {"-p: through the GOT or an import slot: an edge to the function, else none",
     {"f:\n  call [rel g wrt ..got]\n  jmp qword [rel h wrt ..gotpcrel]\n  call [rel __imp_i]\n"
      "  call [rip + __imp__j]\n  call [rel t]\n  call [rax]\n  call [rel k wrt ..plt]\n"
      "  call [.l wrt ..got]\n  call [rel m wrt\n  call [\n  jmp [rel n wrt ..got]"},
     "f@a/a:1()[g,h,i,_j,n] g/a:-1(){f@a} h/a:-1(){f@a} i/a:-1(){f@a} _j/a:-1(){f@a} n/a:-1(){f@a}",
     true},
};

void PrintTo(const lex_case &c, std::ostream *os) {
  *os << c.what;
}

class NasmLexing : public testing::TestWithParam<lex_case> {};

TEST_P(NasmLexing, BuildsTheGraph) {
  const lex_case &c = GetParam();
  for_each_reading([&](const std::string &what, const lex_chars *chars, size_t read_cap) {
    SCOPED_TRACE(what);
    call_graph graph;
    EXPECT_EQ(
        scan_texts(&graph, c.files, c.precise ? scan_nasm_precise : scan_nasm, chars, read_cap), 1);
    EXPECT_EQ(graph_text(graph), c.graph);
    graph_free(&graph);
  });
}

INSTANTIATE_TEST_SUITE_P(Cases, NasmLexing, testing::ValuesIn(lex_cases));
}  // namespace
