#include "graph/symbol_graph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/graph_text.h"

namespace {
struct graph_case {
  const char *what;
  std::vector<std::string> files;
  const char *graph;
  bool allcalls = false;
};

const graph_case graph_cases[] = {
    {"called first, defined in a later file",
     {"global main\nmain:\n    call work\n", "global work\nwork:\n"},
     "main*/a:2()[work] work/b:2(){main}"},
    {"a data label completes a called name",
     {"global f\nf:\n    call g\nsection .data\ng dd 0\n"},
     "f/a:2()[g] g/a:5{f}"},
    {"a second definition is a record of its own; lookups find the first",
     {"global f\nf:\n", "global f\nf:\n    call g\n"},
     "f/a:2()[g] f/b:2() g/b:-1(){f}"},
    {"the root defined in two files is the first record, which holds the calls",
     {"global main\nmain:\n    call one\n", "global main\nmain:\n    call two\n"},
     "main*/a:2()[one,two] one/a:-1(){main} main/b:2() two/b:-1(){main}"},
    {"a root first met as a call target stays the root",
     {"global f\nf:\n    call main\nglobal main\nmain:\n"},
     "f/a:2()[main] main*/a:5(){f}"},
    {"the root name is matched with case", {"global Main\nMain:\n"}, "Main/a:2()"},
    {"a repeated call is kept once",
     {"global a\na:\n    call b\n    call b\n    call b\n"},
     "a/a:2()[b] b/a:-1(){a}"},
    {"every call site is kept with -c",
     {"global a\na:\n    call b\n    call b\n    call b\n"},
     "a/a:2()[b,b,b] b/a:-1(){a}",
     true},
    {"callers in order of their first call, each once",
     {"global a\na:\n    call b\nglobal c\nc:\n    call b\nglobal a\na:\n    call b\n"},
     "a/a:2()[b,b] b/a:-1(){a,c} c/a:5()[b] a/a:8()",
     true},
    {"a function calling itself", {"global f\nf:\n    call f\n"}, "f/a:2()[f]{f}"},
};

void PrintTo(const graph_case &c, std::ostream *os) {
  *os << c.what;
}

class GraphRules : public testing::TestWithParam<graph_case> {};

TEST_P(GraphRules, BuildTheLists) {
  const graph_case &c = GetParam();
  call_graph graph;
  graph.cg_allcalls = c.allcalls;
  EXPECT_EQ(scan_texts(&graph, c.files), 1);
  EXPECT_EQ(graph_text(graph), c.graph);
  graph_free(&graph);
}

INSTANTIATE_TEST_SUITE_P(Cases, GraphRules, testing::ValuesIn(graph_cases));

// What the scanners never do: declare a name that exists, or call a second
// record of a name; and a call charged to no caller.
TEST(SymbolGraph, RulesBeyondTheScanners) {
  call_graph graph;
  sym_id a = sym_add(&graph, true, "a", "f", 1).id;
  sym_id x1 = sym_add(&graph, false, "x", "f", 2).id;
  sym_id x2 = sym_add(&graph, false, "x", "f", 3).id;
  ASSERT_TRUE(sym_add(&graph, true, "x", "f", -1).ok());  // a declaration always appends
  EXPECT_EQ(record_call(&graph, a, x1), record_result::done);
  EXPECT_EQ(record_call(&graph, a, x2), record_result::done);  // same name
  EXPECT_EQ(record_call(&graph, SYM_NONE, x1), record_result::done);
  EXPECT_EQ(graph_text(graph), "a/f:1()[x] x/f:2{a} x/f:3 x/f:-1()");
  EXPECT_EQ(graph.cg_nsyms, 4);
  graph_free(&graph);
}
}  // namespace
