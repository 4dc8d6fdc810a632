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
#include "output/names.h"
#include "output/shared.h"
#include "output/writers.h"

namespace {
struct walk_job {
  const call_graph *graph;
  out_format format;
  bool compact;
  std::string text[2];
  bool ok = true;
};

void *walk_thread(void *arg) {
  auto *job = static_cast<walk_job *>(arg);
  for (std::string &text : job->text) {
    auto out = std::make_unique<out_buffer>();
    out_open_string(out.get(), &text);
    write_options opts;
    opts.compact = job->compact;
    job->ok &= print_graph(job->graph, job->format, opts, dot_options{}, out.get());
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
    sym_result made = sym_add(&graph, true, name.c_str(), "chain.asm", i + 1);
    ASSERT_TRUE(made.ok());
    sym_id sym = made.id;
    ASSERT_EQ(record_call(&graph, caller, sym), record_result::done);
    caller = sym;
  }
  struct row {
    out_format format;
    bool compact;
    // The tree: one per symbol; the digraph: header, edges, nodes, brace;
    // the JSON: six lines of head, symbols, two between, calls, two of end.
    long lines;
    std::string last;
  } rows[] = {
      {out_format::tree, false, depth, "f4999: (), <chain.asm 5000>\n"},
      {out_format::tree, true, depth, std::string(2 * 4999, ' ') + "f4999: (), <chain.asm 5000>\n"},
      {out_format::dot, false, 2 * depth + 1, "  f4999 [label=\"f4999\"];\n}\n"},
      {out_format::json, false, 2 * depth + 9,
       "    {\"caller\": 4998, \"callee\": 4999, \"order\": 1}\n  ]\n}\n"},
  };
  for (const row &r : rows) {
    walk_job job{&graph, r.format, r.compact, {}};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    long min_stack = sysconf(_SC_THREAD_STACK_MIN);
    pthread_attr_setstacksize(&attr, min_stack > 65536 ? min_stack : 65536);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, walk_thread, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    SCOPED_TRACE(static_cast<int>(r.format));
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
    ASSERT_TRUE(sym_add(&graph, true, name.c_str(), "a.s", i).ok());
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

// Short names drop parameter lists, template arguments, return types and
// qualifiers, and keep operators, local names and names that are no C++.
TEST(Names, ShortNames) {
  const char *rows[][2] = {
      {"main", "main"},
      {"a.b$c", "a.b$c"},
      {"parse(std::__cxx11::basic_string<char> const&)", "parse"},
      {"void foo::bar<int>(int)", "foo::bar"},
      {"std::vector<int, std::allocator<int> >::push_back(int const&)", "std::vector::push_back"},
      {"counter::operator<(counter const&) const", "counter::operator<"},
      {"std::operator<< <std::char_traits<char> >(std::ostream&, char const*)", "std::operator<<"},
      {"operator delete(void*)", "operator delete"},
      {"operator new[](unsigned long)", "operator new[]"},
      {"operator\"\" _min(char const*)", "operator\"\" _min"},
      {"Foo::operator bool() const", "Foo::operator bool"},
      {"(anonymous namespace)::helper(int)", "(anonymous namespace)::helper"},
      {"foo(int)::{lambda()#1}::operator()() const", "foo::{lambda()#1}::operator()"},
      {"s<char>::f()::_Guard::~_Guard()", "s::f::_Guard::~_Guard"},
      {"vtable for Foo", "vtable for Foo"},
      {"myoperator(int)", "myoperator"},
  };
  for (const auto &row : rows) {
    std::string name = row[0], out(name.size(), '\0');
    out.resize(name_shorten(name.data(), name.size(), out.data()));
    EXPECT_EQ(out, row[1]) << row[0];
  }
}

// Every name and file name is one valid JSON string that gives its bytes
// back: UTF-8 as it is, control bytes escaped, other bytes as lone
// surrogates from U+DC80.
TEST(Json, OddNamesStayWholeAndValid) {
  const char *rows[][2] = {
      {"a\"b\\c", "a\\\"b\\\\c"},
      {"tab\there\n", "tab\\there\\n"},
      {"\x01\x1f\x7f", "\\u0001\\u001f\x7f"},
      {"caf\xc3\xa9 \xf0\x9f\x98\x80", "caf\xc3\xa9 \xf0\x9f\x98\x80"},
      {"bad\xe9", "bad\\udce9"},
      {"cut\xe2\x82", "cut\\udce2\\udc82"},
      {"over\xc0\xaf", "over\\udcc0\\udcaf"},
      {"sur\xed\xa0\x80", "sur\\udced\\udca0\\udc80"},
      {"big\xf4\x90\x80\x80", "big\\udcf4\\udc90\\udc80\\udc80"},
  };
  call_graph graph;
  for (const auto &row : rows)
    ASSERT_TRUE(sym_add(&graph, true, row[0], "odd\"\xff.s", 7).ok());
  std::string text;
  auto out = std::make_unique<out_buffer>();
  out_open_string(out.get(), &text);
  ASSERT_TRUE(print_graph(&graph, out_format::json, write_options{}, dot_options{}, out.get()));
  out_flush(out.get());
  for (const auto &row : rows) {
    std::string line = std::string("{\"name\": \"") + row[1] +
                       "\", \"kind\": \"function\", \"file\": \"odd\\\"\\udcff.s\", \"line\": 7}";
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  graph_free(&graph);
}
