// The DOT writer in process: memory failures before the first byte, and call
// chains far deeper than any process stack.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "driver/run.h"
#include "graph/memory.h"
#include "output/writers.h"
#include "scan/scanner.h"
#include "tests/support/run_tool.h"

namespace {
class DotMemory : public testing::TestWithParam<const char *> {};

// The writer's buffer is the last allocation of a run: when it fails, the
// run must say so, fail, and leave standard output empty rather than write a
// digraph that stops after its header.
TEST_P(DotMemory, WriterFailureWritesNothing) {
  char path[] = "/tmp/telvanor-dot-mem-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string text =
      "section .text\nglobal main\nmain:\n    call work\nglobal work\nwork:\n    ret\n";
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
  std::vector<std::string> args = {"-g", path};
  if (*GetParam() != '\0') args.insert(args.begin(), GetParam());

  mem_fail_at(0);
  tool_result whole = run_in_process(args);
  long last = mem_attempts();
  ASSERT_EQ(whole.status, 0);
  ASSERT_NE(whole.out.find(" -> "), std::string::npos);

  mem_fail_at(last);
  tool_result failed = run_in_process(args);
  mem_fail_at(0);
  unlink(path);
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_EQ(failed.err, "Memory allocation error\n");
}

// "-r": the name-sorted table; "": the forward walk's stack.
INSTANTIATE_TEST_SUITE_P(Modes, DotMemory, testing::Values("-r", ""));

// Builds a chain f0 -> f1 -> ... of `n` functions directly, without the
// scanner, so that only the writer's depth is under test.
void build_chain(call_graph *graph, int n) {
  graph_init(graph);
  symbol *prev = nullptr;
  for (int i = 0; i < n; ++i) {
    std::string name = "f" + std::to_string(i);
    symbol *sym = sym_create(name.c_str(), "chain.asm", 3 * i + 3);
    ASSERT_NE(sym, nullptr);
    sym->s_func = 1;
    if (prev == nullptr) {
      graph->cg_symbols = graph->cg_root = sym;
    } else {
      prev->s_next = sym;
      prev->s_callees = prev->s_callees_last = edge_create(sym);
      sym->s_callers = sym->s_callers_last = edge_create(prev);
      ASSERT_TRUE(prev->s_callees != nullptr && sym->s_callers != nullptr);
    }
    graph->cg_last = prev = sym;
    graph->cg_nsyms++;
  }
}

// A million nested calls would need far more than the process stack if the
// walk recursed; it must come out whole, in walk order.
TEST(DotChain, MillionDeepChainPrintsWhole) {
  const int n = 1000000;
  call_graph graph;
  build_chain(&graph, n);
  if (HasFatalFailure()) return;
  for (bool reverse : {false, true}) {
    graph.cg_reverse = reverse;
    for (symbol *s = graph.cg_symbols; s != nullptr; s = s->s_next)
      s->s_seen = 0;
    std::string text;
    auto out = std::make_unique<out_buffer>();
    out_open_string(out.get(), &text);
    ASSERT_EQ(print_dot(&graph, out.get()), 1);
    out_flush(out.get());
    // Header, n - 1 edges, n nodes, closing brace.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 * n + 1);
    std::string first = reverse ? "  f1 -> f0 [label=\"1\"];\n" : "  f0 -> f1 [label=\"1\"];\n";
    EXPECT_EQ(text.compare(17, first.size(), first), 0) << text.substr(0, 100);
    EXPECT_NE(text.find(reverse ? "  f999999 -> f999998 [label=\"1\"];\n  f0 [label=\"f0\"];\n"
                                : "  f999998 -> f999999 [label=\"1\"];\n  f0 [label=\"f0\"];\n"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("  f999999 [label=\"f999999\"];\n}\n"));
  }
  sym_free_all(graph.cg_symbols);
}
}  // namespace
