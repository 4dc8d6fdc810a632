// Source scanners: read one assembly file and add its functions, data labels,
// calls and data references to the run's call graph.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

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

// What a precise reading noticed that its user must hear of though the scan
// went on: the driver writes one line on standard error for each kind a file
// showed, and the exit status stays as it is.
enum class scan_warning : uint8_t {
  no_isa,        // code, but no instruction set could be told
  unknown_call,  // a call the file's instruction set does not know
  not_assembly,  // LLVM IR, LTO bytecode or binary bytes
  gnu_as_nasm,   // GNU syntax read as NASM: -a was likely meant
  no_function,   // no function at all
  count
};

inline constexpr size_t SCAN_DETAIL_MAX = 48;

struct scan_warnings {
  uint32_t seen = 0;  // bit i: scan_warning i was noticed
  // What showed each one first (a mnemonic, a directive), cut to fit; may
  // be empty.
  char detail[static_cast<size_t>(scan_warning::count)][SCAN_DETAIL_MAX] = {};
};

// Notes warning `w`; the first detail given for it is the one kept, cut to
// fit.
inline void scan_warn(scan_warnings *ws, scan_warning w, std::string_view detail = {}) {
  auto i = static_cast<size_t>(w);
  if (ws->seen & 1u << i) return;
  ws->seen |= 1u << i;
  size_t n = detail.size() < SCAN_DETAIL_MAX - 1 ? detail.size() : SCAN_DETAIL_MAX - 1;
  // The detail goes to a terminal: bytes that are no printable ASCII become "?".
  for (size_t k = 0; k < n; ++k)
    ws->detail[i][k] = detail[k] >= ' ' && detail[k] < 127 ? detail[k] : '?';
  ws->detail[i][n] = '\0';
}

struct scan_result {
  scan_status status;
  int64_t line;  // the line the scan ended on
  scan_warnings warnings{};
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

// The precise reading of GNU syntax with `isa`, an index that
// scan_isa_by_name gave, for a file that does not show its instruction set.
scan_result scan_gnu_precise_as(const lex_chars *chars, call_graph *graph, scan_source *src,
                                const char *file, int isa);

// The index of the instruction set `name` (x86_64, aarch64, arm, riscv64 or
// another spelling of one), or -1 when there is none of that name.
int scan_isa_by_name(const char *name);
// The end of a run read with -p: the references that waited for the names
// of later files are charged to the data labels that some file made global,
// and what they held is released. Call it once the files are read, or after
// a failure (`failed`: only to release); returns how the charges went.
scan_status scan_precise_end(call_graph *graph, bool failed = false);
