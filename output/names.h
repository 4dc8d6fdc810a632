// The names the writers show: as the graph holds them, or short, that is
// C++ names without their parameter lists, template arguments and return
// types, so that "void ns::parse<int>(std::string const&)" reads "ns::parse".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "graph/symbol_graph.h"

// Writes the short form of the `len` bytes at `name` to `out` (room for
// `len` bytes); returns its length. A name that is no demangled C++ name
// comes out as it went in.
size_t name_shorten(const char *name, size_t len, char *out);

// The name every symbol is shown with.
struct shown_names {
  const call_graph *graph;
  std::string_view *views;  // one per symbol; null: the names as they are
  char *text;               // the short names that differ from their symbols' names
};

// Makes the shown names of `graph`, short ones when `shorten`; false when
// memory is exhausted (nothing is then held).
bool names_begin(shown_names *names, const call_graph *graph, bool shorten);

// Releases what names_begin allocated.
void names_end(shown_names *names);

inline std::string_view name_shown(const shown_names &names, sym_id id) {
  if (names.views != nullptr) return names.views[id];
  const symbol &sym = names.graph->cg_syms[id];
  return {sym_name(names.graph, sym), sym.s_namelen};
}

// The first function whose short name is `name`, or SYM_NONE; false when
// memory is exhausted.
bool names_find_short(const call_graph *graph, const char *name, sym_id *found);
