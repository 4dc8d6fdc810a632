// The name and pair indexes must answer exactly as the list walks would:
// first record by name, duplicates by name, callers by record, for short
// (walked) and long (indexed) callee lists alike.
#include "graph/index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "memory/memory.h"

namespace {
int count(const call_graph &g, cell_id list) {
  int n = 0;
  for (; list != CELL_NONE; list = graph_cell(&g, list).e_next)
    ++n;
  return n;
}

bool calls(call_graph *g, sym_id callee, const char *caller = "f") {
  return record_call(g, sym_lookup(g, caller).id, callee) == record_result::done;
}

// Many names, so that the name table grows several times: every lookup
// finds the first record of its name, also after second definitions and
// after a forward declaration has been completed. The names run from one to
// thirteen bytes, the longer ones alike in their first eight.
TEST(GraphIndex, FirstRecordOfEveryName) {
  call_graph g;
  std::vector<sym_id> first;
  auto name_of = [](int i) { return std::string(i % 4 * 3, 'x') + std::to_string(i); };
  for (int i = 0; i < 3000; ++i) {
    std::string name = name_of(i);
    int32_t line = i % 3 == 0 ? -1 : i;  // every third one only declared
    first.push_back(sym_add(&g, 1, name.c_str(), "a.s", line).id);
  }
  for (int i = 0; i < 3000; ++i) {
    std::string name = name_of(i);
    sym_id again = sym_add(&g, 0, name.c_str(), "b.s", 7).id;  // completes or duplicates
    EXPECT_EQ(again == first[i], i % 3 == 0) << name;
    EXPECT_EQ(sym_lookup(&g, name.c_str()).id, first[i]) << name;
  }
  EXPECT_EQ(g.cg_nsyms, 3000 + 2000);
  for (const char *absent :
       {"", "x", "xxx0", "xxxxxx1", "xxxxxxx2", "xxxxxxxxx2", "xxxxxxxxx30000"}) {
    sym_result r = sym_lookup(&g, absent);
    EXPECT_EQ(r.status, sym_status::not_found) << absent;
    EXPECT_EQ(r.id, SYM_NONE) << absent;
  }
  graph_free(&g);
}

// The caller "f" calls `filler` distinct functions first, so that its list
// is short (walked) or long (indexed), then the first record of "x", a
// second record of "x", and the first record again.
TEST(GraphIndex, DuplicatesByNameCallersByRecord) {
  struct row {
    bool allcalls;
    int filler;
    int f_callees;  // cells in f's callee list at the end
    int x2_callers;
  };
  const row rows[] = {
      {0, 0, 1, 0},                  // the second "x" is a duplicate by name
      {0, 20, 21, 0},                // the same through the index
      {1, 0, 3, 1},                  // -c: every call a cell, f noted once on each record
      {1, 20, 23, 1}, {0, 8, 9, 0},  // the ninth cell makes the list long
      {1, 7, 10, 1},
  };
  for (const row &r : rows) {
    call_graph g;
    g.cg_allcalls = r.allcalls;
    ASSERT_TRUE(sym_add(&g, 1, "f", "a.s", 1).ok());
    for (int i = 0; i < r.filler; ++i) {
      std::string name = "g" + std::to_string(i);
      ASSERT_TRUE(calls(&g, sym_add(&g, 1, name.c_str(), "a.s", -1).id));
    }
    sym_id x1 = sym_add(&g, 1, "x", "a.s", -1).id;
    sym_id x2 = sym_add(&g, 1, "x", "a.s", -1).id;
    ASSERT_NE(x1, x2);
    EXPECT_TRUE(calls(&g, x1));
    EXPECT_TRUE(calls(&g, x2));
    EXPECT_TRUE(calls(&g, x1));
    sym_id f = sym_lookup(&g, "f").id;
    SCOPED_TRACE(testing::Message() << "allcalls " << r.allcalls << " filler " << r.filler);
    EXPECT_EQ(count(g, graph_sym(&g, f).s_callees), r.f_callees);
    EXPECT_EQ(count(g, graph_sym(&g, x1).s_callers), 1);
    EXPECT_EQ(count(g, graph_sym(&g, x2).s_callers), r.x2_callers);
    // A function calling itself is noted once among its own callers.
    EXPECT_TRUE(calls(&g, f));
    EXPECT_TRUE(calls(&g, f));
    EXPECT_EQ(count(g, graph_sym(&g, f).s_callers), 1);
    graph_free(&g);
  }
}

// Whatever allocation fails, the operation that meets it reports it, telling
// the callee cell from a callee's first caller and a later one, and the graph
// stays as it was: the lists and the indexes agree afterwards, and all of it
// is released.
TEST(GraphIndex, EveryFailedAllocationLeavesTheGraphWhole) {
  int kinds_met = 0;  // bit 0: a first caller failed, bit 1: a later one, bit 2: a callee cell
  for (long fail = 1;; ++fail) {
    call_graph g;
    mem_fail_at(fail);
    bool failed = false;
    std::vector<sym_id> made;
    for (int i = 0; i < 120 && !failed; ++i) {
      std::string name = "s" + std::to_string(i % 100);
      // A failure says it is one of memory, never that a name is absent.
      sym_result sym = i % 2 ? sym_add(&g, true, name.c_str(), "a.s", i < 100 ? -1 : i)
                             : sym_find_or_declare(&g, name.c_str(), name.size(), "a.s");
      if (!sym.ok()) {
        EXPECT_EQ(sym.status, sym_status::nomem) << "fail " << fail;
        failed = true;
      } else if (i < 100) {
        made.push_back(sym.id);
      }
    }
    // s0 and then s1 call every symbol: the callees of s1 had a caller already.
    int64_t cells = 0;
    for (sym_id caller : {0u, 1u}) {
      for (size_t i = 0; i < made.size() && !failed; ++i) {
        bool first_caller = graph_sym(&g, made[i]).s_callers == CELL_NONE;
        cells = g.cg_ncells;
        record_result r = record_call(&g, made[caller], made[i]);
        failed = r != record_result::done;
        if (failed) {
          EXPECT_EQ(g.cg_ncells, cells);
          if (r == record_result::nomem_cell) {
            kinds_met |= 4;
          } else {
            EXPECT_EQ(r, first_caller ? record_result::nomem_first_caller : record_result::nomem);
            kinds_met |= first_caller ? 1 : 2;
          }
        }
      }
    }
    mem_fail_at(0);
    EXPECT_EQ(g.cg_nsyms, static_cast<int64_t>(made.size()));
    for (size_t i = 0; i < made.size(); ++i) {
      EXPECT_EQ(sym_lookup(&g, sym_name(&g, graph_sym(&g, made[i]))).id, made[i])
          << "fail " << fail;
    }
    // The run goes on after a failure: the graph still works.
    sym_result late = sym_add(&g, true, "late", "a.s", 1);
    ASSERT_TRUE(late.ok());
    EXPECT_EQ(sym_lookup(&g, "late").id, late.id);
    graph_free(&g);
    EXPECT_EQ(mem_live(), 0) << "fail " << fail;
    if (!failed) {
      EXPECT_EQ(kinds_met, 7);
      break;
    }
  }
}
// Where a name lands: in the name table, the -p tables or the data filter.
enum class landing { table, hash, data_bit };

uint64_t land(landing how, const std::string &s) {
  name_key key = index_key(s.data(), s.size());
  switch (how) {
    case landing::table:
      return index_place(key);
    case landing::hash:
      return index_hash(s.data(), s.size());
    case landing::data_bit:
      return index_data_bit(key);
  }
  return 0;
}

// Names found to share where they land under one seed's keys land apart
// under another's: what a file can choose, it cannot aim without the keys.
// For the name table's place of names of each class, the hash of the -p
// readings' tables and the data filter's bit.
TEST(GraphIndex, SeedsPlaceNamesApart) {
  struct row {
    landing how;
    size_t len;
  };
  const row rows[] = {
      {landing::table, 5}, {landing::table, 8},    {landing::table, 16},   {landing::hash, 5},
      {landing::hash, 12}, {landing::data_bit, 6}, {landing::data_bit, 9},
  };
  const uint64_t low = 1023;
  std::mt19937_64 gen(17);
  for (const row &r : rows) {
    SCOPED_TRACE(testing::Message() << "landing " << static_cast<int>(r.how) << ", " << r.len);
    index_seed(1);
    std::vector<std::string> crafted;
    uint64_t aim = 0;
    while (crafted.size() < 64) {
      std::string name;
      for (size_t i = 0; i < r.len; ++i)
        name += static_cast<char>('a' + gen() % 26);
      uint64_t at = land(r.how, name) & low;
      if (crafted.empty()) aim = at;
      if (at == aim) crafted.push_back(name);
    }
    index_seed(2);
    std::set<uint64_t> places;
    for (const std::string &name : crafted)
      places.insert(land(r.how, name) & low);
    EXPECT_GT(places.size(), 48u);
  }
  index_seed(0);
}
}  // namespace
