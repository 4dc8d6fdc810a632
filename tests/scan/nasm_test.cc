// The NASM lexer, seen through the graph that the shared rules build from it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "tests/support/graph_text.h"

namespace {
struct lex_case {
  const char *what;
  std::vector<std::string> files;
  const char *graph;
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
    {"a backquote is no string delimiter",
     {"section .data\nc dd 0\nsection .text\nglobal f\nf:\n    mov eax, `c`\n"},
     "c/a:2{f} f/a:5()[c]"},
    {"one label outside code makes a data symbol, then a function",
     {"global f\n.data junk f:\n"},
     "f/a:2 f/a:2()"},
    {"a keyword followed by a colon is no label", {"section .data\ncall: dd 1\n"}, ""},
    {"bytes outside the C locale's letters", {"section .data\n\xc3\xa9t\xc3\xa9 dd 1\n"}, ""},
};

void PrintTo(const lex_case &c, std::ostream *os) {
  *os << c.what;
}

class NasmLexing : public testing::TestWithParam<lex_case> {};

TEST_P(NasmLexing, BuildsTheGraph) {
  const lex_case &c = GetParam();
  call_graph graph;
  EXPECT_EQ(scan_texts(&graph, c.files), 1);
  EXPECT_EQ(graph_text(graph), c.graph);
  graph_free(&graph);
}

INSTANTIATE_TEST_SUITE_P(Cases, NasmLexing, testing::ValuesIn(lex_cases));
}  // namespace
