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
  const char *graph;  // as graph_text writes it
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
};

class GnuLexing : public testing::TestWithParam<gnu_case> {};

TEST_P(GnuLexing, BuildsGraph) {
  const gnu_case &c = GetParam();
  call_graph graph;
  EXPECT_EQ(scan_texts(&graph, c.files, scan_gnu), 1);
  EXPECT_EQ(graph_text(graph), c.graph);
  graph_free(&graph);
}

INSTANTIATE_TEST_SUITE_P(Rows, GnuLexing, testing::ValuesIn(cases));
}  // namespace
