// What both readings share to grow the graph: a call or reference recorded,
// and how that went in the terms a scan reports.
#pragma once

#include <cstdint>

#include "graph/symbol_graph.h"
#include "scan/scanner.h"

// Records that `caller` (SYM_NONE: nobody, and nothing is recorded) calls or
// references `target`; says how that went.
[[nodiscard]] scan_status scan_charge(call_graph *graph, sym_id caller, sym_id target);

// What a look-up came to: the record it found, no such record, or no answer
// because memory ran out on the way.
enum class scan_found : uint8_t { found, absent, nomem };
struct [[nodiscard]] scan_lookup {
  scan_found how;
  sym_id sym;  // the record, when found
};
