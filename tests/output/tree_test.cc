// The forward walk keeps its own stack: a call chain far deeper than a small
// thread stack could hold as recursion is listed to its end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <string>

#include "graph/symbol_graph.h"
#include "output/writers.h"

namespace {
struct walk_job {
  call_graph *graph;
  int result;
};

void *walk_thread(void *arg) {
  auto *job = static_cast<walk_job *>(arg);
  static out_buffer out;
  out_open(&out, open("/dev/null", O_WRONLY));
  job->result = print_tree(job->graph, &out) && out_flush(&out);
  close(out.fd);
  return nullptr;
}

TEST(TreeWalk, DeepChainOnASmallStack) {
  // Five thousand nested calls need far more than 64 KiB as recursion; the
  // listing itself grows with the square of the depth, so deeper is slower.
  const int depth = 5000;
  call_graph graph;
  graph_init(&graph);
  std::string caller;
  for (int i = 0; i < depth; ++i) {
    std::string name = i == 0 ? "main" : "f" + std::to_string(i);
    symbol *sym = sym_add(&graph, 1, name.c_str(), "chain.asm", i + 1);
    if (i > 0) {
      ASSERT_EQ(record_call(&graph, caller.c_str(), "chain.asm", edge_create(sym)), 1);
    }
    caller = name;
  }
  walk_job job{&graph, 0};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  long min_stack = sysconf(_SC_THREAD_STACK_MIN);
  pthread_attr_setstacksize(&attr, min_stack > 65536 ? min_stack : 65536);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, walk_thread, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(job.result, 1);
  int seen = 0;
  for (const symbol *sym = graph.cg_symbols; sym != nullptr; sym = sym->s_next)
    seen += sym->s_seen;
  EXPECT_EQ(seen, depth);
  sym_free_all(graph.cg_symbols);
}
}  // namespace
