// Source scanners: read one assembly file and add its functions, data labels,
// calls and data references to the run's call graph.
#pragma once

#include <cstdint>

#include "graph/symbol_graph.h"
#include "scan/lex/chars.h"
#include "scan/lex/source.h"

// How a scan ended. A scan writes no message: its caller says what failed.
enum class scan_status {
  done,                // the end of the file
  nomem,               // memory ran out on `line`
  nomem_first_caller,  // memory ran out noting a callee's very first caller
  nomem_later_caller,  // memory ran out noting a further caller of a callee
};

struct scan_result {
  scan_status status;
  int64_t line;  // the line the scan ended on
};

// Every reading takes the run's byte classes, made once by
// lex_chars_from_locale after setlocale.

// Scans one file in NASM syntax into the graph.
scan_result scan_nasm(const lex_chars *chars, call_graph *graph, scan_source *src,
                      const char *file);

// Scans one file in GNU assembler syntax into the graph.
scan_result scan_gnu(const lex_chars *chars, call_graph *graph, scan_source *src, const char *file);

// The precise readings of option -p, one for each syntax: names, comments,
// sections, functions and calls as the assemblers see them.
scan_result scan_nasm_precise(const lex_chars *chars, call_graph *graph, scan_source *src,
                              const char *file);
scan_result scan_gnu_precise(const lex_chars *chars, call_graph *graph, scan_source *src,
                             const char *file);
