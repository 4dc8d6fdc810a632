// What both readings share to grow the graph: a call or reference recorded,
// and how that went in the terms a scan reports.
#pragma once

#include <cstdint>

#include "graph/symbol_graph.h"
#include "scan/scanner.h"

// Records that `caller` (SYM_NONE: nobody, and nothing is recorded) calls or
// references `target`; says how that went.
[[nodiscard]] scan_status scan_charge(call_graph *graph, sym_id caller, sym_id target);
