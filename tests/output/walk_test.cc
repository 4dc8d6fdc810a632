// Both writers walk with their own stack and keep their marks to themselves:
// a call chain far deeper than a small thread stack could hold as recursion
// is written to its end, and the same again when the writer runs twice. And
// the reverse outputs' table is in name order, equal names in list order.
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "memory/memory.h"
#include "output/shared.h"
#include "output/writers.h"

namespace {
struct walk_job {
  const call_graph *graph;
  bool dot;
  std::string text[2];
  bool ok = true;
};

void *walk_thread(void *arg) {
  auto *job = static_cast<walk_job *>(arg);
  for (std::string &text : job->text) {
    auto out = std::make_unique<out_buffer>();
    out_open_string(out.get(), &text);
    write_options opts;
    out_format format = job->dot ? out_format::dot : out_format::tree;
    job->ok &= print_graph(job->graph, format, opts, dot_options{}, out.get());
    out_flush(out.get());
  }
  return nullptr;
}

TEST(Walk, DeepChainOnASmallStackTwice) {
  // Five thousand nested calls need far more than 64 KiB as recursion; the
  // listing itself grows with the square of the depth, so deeper is slower.
  const int depth = 5000;
  call_graph graph;
  sym_id caller = SYM_NONE;
  for (int i = 0; i < depth; ++i) {
    std::string name = i == 0 ? "main" : "f" + std::to_string(i);
    sym_id sym = sym_add(&graph, true, name.c_str(), "chain.asm", i + 1);
    ASSERT_NE(sym, SYM_NONE);
    ASSERT_EQ(record_call(&graph, caller, sym), record_result::done);
    caller = sym;
  }
  struct row {
    bool dot;
    long lines;  // the tree: one per symbol; the digraph: header, edges, nodes, brace
    const char *last;
  } rows[] = {
      {false, depth, "f4999: (), <chain.asm 5000>\n"},
      {true, 2 * depth + 1, "  f4999 [label=\"f4999\"];\n}\n"},
  };
  for (const row &r : rows) {
    walk_job job{&graph, r.dot, {}};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    long min_stack = sysconf(_SC_THREAD_STACK_MIN);
    pthread_attr_setstacksize(&attr, min_stack > 65536 ? min_stack : 65536);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, walk_thread, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    SCOPED_TRACE(r.dot ? "digraph" : "tree");
    EXPECT_TRUE(job.ok);
    EXPECT_EQ(std::count(job.text[0].begin(), job.text[0].end(), '\n'), r.lines);
    EXPECT_TRUE(job.text[0].ends_with(r.last)) << job.text[0].substr(job.text[0].size() - 100);
    EXPECT_TRUE(job.text[1] == job.text[0]);
  }
  graph_free(&graph);
}
// Names in runs large and small that agree in their first bytes, or in all
// eight, or in more than sixteen, or are equal; bytes above 127 sort after
// the others.
TEST(Walk, SortedTableIsInNameOrder) {
  std::mt19937 gen(12);
  const std::string stems[] = {"",
                               "f",
                               "fn",
                               "fn1",
                               "prefix__",
                               "prefix__x",
                               "\xe9t\xe9",
                               "a_long_shared_beginning_",
                               "a_long_shared_beginning_x"};
  call_graph graph;
  for (int i = 0; i < 5000; ++i) {
    std::string name = stems[gen() % 9] + std::to_string(gen() % (i % 2 ? 50 : 5000));
    ASSERT_NE(sym_add(&graph, true, name.c_str(), "a.s", i), SYM_NONE);
  }
  std::vector<sym_id> want(graph.cg_nsyms);
  std::iota(want.begin(), want.end(), 0);
  std::stable_sort(want.begin(), want.end(), [&](sym_id a, sym_id b) {
    return std::strcmp(sym_name(&graph, graph_sym(&graph, a)),
                       sym_name(&graph, graph_sym(&graph, b))) < 0;
  });
  sorted_entry *table = sym_sorted_table(&graph);
  ASSERT_NE(table, nullptr);
  for (size_t i = 0; i < want.size(); ++i)
    ASSERT_EQ(table[i].sym, want[i]) << i;
  mem_free(table);
  graph_free(&graph);
}
}  // namespace
