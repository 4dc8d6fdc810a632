#include "graph/symbol_graph.h"

#include <gtest/gtest.h>

TEST(SymbolGraph, Placeholder) {
  call_graph g;
  graph_init(&g);
  EXPECT_EQ(g.cg_nsyms, 0);
}
