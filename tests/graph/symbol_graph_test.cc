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

// Calls of a name moved to the record it stands for: each cell keeps its
// place or, where the caller has the record already, goes, as record_call
// would have left it; a long callee list's pair table learns of the move.
TEST(SymbolGraph, MovedCallersKeepTheListsWhole) {
  for (bool allcalls : {false, true}) {
    call_graph graph;
    graph.cg_allcalls = allcalls;
    sym_id t = sym_add(&graph, true, "t", "a", 1).id;
    sym_id r = sym_add(&graph, true, "r", "b", -1).id;
    sym_id x = sym_add(&graph, true, "x", "b", -1).id;
    sym_id f = sym_add(&graph, true, "f", "b", 2).id;
    sym_id g = sym_add(&graph, true, "g", "b", 3).id;
    sym_id h = sym_add(&graph, true, "h", "b", 4).id;
    for (sym_id callee : {r, x, t, r})
      ASSERT_EQ(record_call(&graph, f, callee), record_result::done);
    ASSERT_EQ(record_call(&graph, g, r), record_result::done);
    for (int i = 0; i < 9; ++i) {
      sym_id c = sym_add(&graph, true, std::string(1, static_cast<char>('0' + i)), "b", -1).id;
      ASSERT_EQ(record_call(&graph, h, c), record_result::done);
    }
    ASSERT_EQ(record_call(&graph, h, r), record_result::done);
    ASSERT_EQ(graph_move_callers(&graph, r, t), record_result::done);
    ASSERT_EQ(record_call(&graph, h, t), record_result::done);  // h has t now
    std::string digits;
    for (char d = '0'; d <= '8'; ++d)
      digits += std::string(d == '0' ? "" : " ") + d + "/b:-1(){h}";
    SCOPED_TRACE(allcalls ? "-c" : "");
    EXPECT_EQ(graph_text(graph), std::string("t/a:1(){f,g,h} r~/b:-1() x/b:-1(){f} ") +
                                     (allcalls ? "f/b:2()[t,x,t,t] " : "f/b:2()[x,t] ") +
                                     "g/b:3()[t] h/b:4()[0,1,2,3,4,5,6,7,8," +
                                     (allcalls ? "t,t] " : "t] ") + digits);
    graph_free(&graph);
  }
}
}  // namespace
