// Lexing of GNU assembler syntax, one row per case: a source text and the
// graph that scanning it must leave, rendered compactly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ostream>
#include <regex>
#include <string>

#include "graph/memory.h"
#include "graph/symbol_graph.h"
#include "scan/scanner.h"

namespace {
struct gnu_case {
  const char *what;
  const char *source;
  // Symbols in list order: name@line, with a leading $ for a data symbol;
  // then "|" and the callee entries as caller>callee, in list order.
  const char *graph;
};

void PrintTo(const gnu_case &c, std::ostream *os) {
  *os << c.what;
}

std::string render(const call_graph &g) {
  std::string syms, edges;
  for (symbol *s = g.cg_symbols; s != nullptr; s = s->s_next) {
    syms += std::string(syms.empty() ? "" : " ") + (s->s_func ? "" : "$") + s->s_name + "@" +
            std::to_string(s->s_line);
    for (edge *e = s->s_callees; e != nullptr; e = e->e_next)
      edges += std::string(" ") + s->s_name + ">" + e->e_sym->s_name;
  }
  return edges.empty() ? syms : syms + " |" + edges;
}

// Scans `source` as one file named t.s into `g`, through a pipe; returns
// what scan_gnu returns, or -1 when the pipe fails.
int scan_into(call_graph *g, const std::string &source) {
  scan_init_chars();
  int fds[2];
  if (pipe(fds) != 0) return -1;
  ssize_t n = write(fds[1], source.data(), source.size());
  close(fds[1]);
  static scan_source src;
  src_open(&src, fds[0]);
  int ok = n == static_cast<ssize_t>(source.size()) ? scan_gnu(g, &src, "t.s") : -1;
  close(fds[0]);
  return ok;
}

// The rendered graph of one file, or "FAILED" when the scan does not succeed.
std::string scan(const std::string &source) {
  call_graph g;
  int ok = scan_into(&g, source);
  std::string out = ok == 1 ? render(g) : "FAILED";
  graph_free(&g);
  return out;
}

// Most rows run inside a function `f` defined on line 2.
#define IN_F ".globl f\nf:\n"

const gnu_case cases[] = {
    // Comments.
    {"/*/ is a whole comment", ".globl f /*/\nf:\n", "f@2"},
    {"/**/ is a whole comment", ".globl f/**/\nf:\n", "f@2"},
    {"a block comment counts its lines", "/* a\n b\n*/ .globl f\nf:\n", "f@4"},
    {"a newline parts * from /", "/* *\n/ .globl g\ng:\n */ .globl f\nf:\n", "f@5"},
    {"a label right after a line comment", ".globl f // note\nf:\n", "f@2"},
    {"a backslash does not continue // ", "// a\\\n.globl f\nf:\n", "f@3"},
    {"a backslash in a block comment is nothing", "/* \\*/ .globl f\nf:\n", "f@2"},
    {"a lone slash parts two words", ".data\nb:\n.text\n" IN_F "a/b\n", "$b@2 f@5 | f>b"},
    {"a slash at the end of the file", IN_F "call g\n/", "f@2 g@-1 | f>g"},
    {"end of file in a block comment", IN_F "call g /* call h", "f@2 g@-1 | f>g"},
    // The number sign and the semicolon are ordinary characters.
    {"# opens no comment", IN_F "# call work\n", "f@2 work@-1 | f>work"},
    {"; opens no comment", IN_F "nop ; call work\n", "f@2 work@-1 | f>work"},
    // Directives and the call mnemonic match with case only.
    {".TEXT is no section", ".data\n.TEXT\nx:\n", "$x@3"},
    {".DATA is no section", ".DATA\nx:\n", ""},
    {".Globl captures nothing", ".Globl f\nf:\n", ""},
    {"global without a dot is a word", "global f\nf:\n", ""},
    {".global captures", ".global f\nf:\n", "f@2"},
    {".extern is no global", ".extern f\nf:\n", ""},
    {"CALL is no call", IN_F "CALL work\n", "f@2"},
    {"callq is no call", IN_F "callq work\n", "f@2"},
    {"callq names data like any word", ".data\nw:\n.text\n" IN_F "callq w\n", "$w@2 f@5 | f>w"},
    {"jmp is no call", IN_F "jmp work\n", "f@2"},
    {"call through a register", IN_F "call *%rax\n", "f@2 rax@-1 | f>rax"},
    {"call through the PLT", IN_F "call foo@PLT\n", "f@2 foo@-1 | f>foo"},
    {"call of a local label", IN_F "call .L5\n", "f@2"},
    {"call of a numeric label", ".globl m\nm:\ncall 1f\n", "m@2 f@-1 | m>f"},
    {"a call before any function", "call g\n" IN_F, "f@3"},
    {"call: is no label", ".data\ncall:\n", ""},
    {"0x10 is the word x10", ".data\nx10:\n.text\n" IN_F "mov 0x10, %eax\n", "$x10@2 f@5 | f>x10"},
    // Labels need the colon directly after the word.
    {"a colon after a blank", ".globl f\nf :\n", ""},
    {"no colon, no label", ".data\nmsg .byte 0\n", ""},
    {"local and numeric labels", ".data\n.L3:\n1:\n", ""},
    {"main.cold: is no label", ".globl main\nmain.cold:\n", ""},
    {".type ends in a word", ".globl f\n.type f, @function\nf:\n", "f@3"},
    {".p2align ends in a digit", ".globl f\n.p2align 4\nf:\n", ""},
    {"the last global wins", ".globl f\n.globl g\nf:\n", ""},
    {".globl a, b captures a", ".globl f, g\nf:\n", "f@2"},
    {".globl a, b does not capture b", ".globl f, g\ng:\n", ""},
    {"nothing is captured outside code", ".data\n.globl v\nv:\n", "$v@3"},
    {"captured in code, defined in data", ".globl v\n.data\n.size v, 4\nv:\n", "$v@4 v@4"},
    {"a static function's calls go to the last function", IN_F ".type h, @function\nh:\ncall g\n",
     "f@2 g@-1 | f>g"},
    // Section names: a dot word ends at the next full stop.
    {".text.startup enters code", ".data\n.section .text.startup\nx:\n", ""},
    {".data.rel.ro leaves code", ".section .data.rel.ro\nx:\n", "$x@2"},
    {".rodata keeps code", ".section .rodata\nx:\n", ""},
    {".rodata keeps data", ".data\n.section .rodata\nx:\n", "$x@3"},
    {".data1 keeps code", ".section .data1\nx:\n", ""},
    {".section .bss leaves code", ".section .bss,\"aw\"\nx:\n", "$x@2"},
    {"a section name parts global and label", ".globl f\n.section .text\nf:\n", ""},
    // Quoted strings and character constants.
    {"a string hides a call", IN_F ".ascii \"call g\"\n", "f@2"},
    {"an escaped quote does not end a string", IN_F ".ascii \"\\\"call g\"\n", "f@2"},
    {"a string counts its lines", "\"a\nb\nc\" .globl f\nf:\n", "f@4"},
    {"backslash-newline in a string is a line", ".ascii \"a\\\nb\"\n.globl f\nf:\n", "f@4"},
    {"a character constant runs to the next quote",
     IN_F "movb $'a, %al\ncall g\n'\ncall h\n.data\nd:\n", "f@2 h@-1 $d@8 | f>h"},
    {"an open string hides the rest", "\"\n.globl f\nf:\n", ""},
    // Line ends.
    {"carriage returns are white space", ".globl f\r\nf:\r\ncall g\r\n", "f@2 g@-1 | f>g"},
    {"a last line without a newline is cut off", IN_F "call g", "f@2"},
    {"a blank ends the last word", IN_F "call g ", "f@2 g@-1 | f>g"},
};

class GnuLexing : public testing::TestWithParam<gnu_case> {};

TEST_P(GnuLexing, BuildsGraph) {
  EXPECT_EQ(scan(GetParam().source), GetParam().graph);
}

INSTANTIATE_TEST_SUITE_P(Rows, GnuLexing, testing::ValuesIn(cases));

// A file's pending name and current function end with the file; the graph
// carries over.
TEST(GnuLexing, StateStartsAfreshEachFile) {
  call_graph g;
  EXPECT_EQ(scan_into(&g, ".globl f\nf:\ncall g\n.globl h\n.data\n"), 1);
  EXPECT_EQ(scan_into(&g, "h:\ncall f\n.globl g\ng:\n"), 1);
  EXPECT_EQ(render(g), "f@2 g@4 | f>g");
  graph_free(&g);
}

// Any allocation of a scan may fail: the scan then stops with 0 after one
// message line, and whatever it built can still be released.
TEST(GnuLexing, EveryAllocationFailureStopsTheScan) {
  const std::string source =
      "/* data */\n.data\ncounter:\n.long 0\n.text\n.globl main\n// entry\nmain:\n"
      "mov counter(%rip), %eax\ncall work\nret\n.globl work\nwork:\ncall *%rax\nret\n";
  const std::regex message(
      "t\\.s: Memory allocation error for line [0-9]+\n|Memory allocation error\n|"
      "Memory alloation error\n");
  call_graph g;
  mem_fail_at(0);
  ASSERT_EQ(scan_into(&g, source), 1);
  graph_free(&g);
  long total = mem_attempts();
  ASSERT_GT(total, 5);
  for (long n = 1; n <= total; ++n) {
    testing::internal::CaptureStderr();
    mem_fail_at(n);
    int ok = scan_into(&g, source);
    mem_fail_at(0);
    std::string err = testing::internal::GetCapturedStderr();
    graph_free(&g);
    EXPECT_EQ(ok, 0) << "allocation " << n;
    EXPECT_TRUE(std::regex_match(err, message)) << "allocation " << n << ": " << err;
  }
}
}  // namespace
