// Source scanners: read one assembly file and add its functions, data labels,
// calls and data references to the run's call graph.
#pragma once

#include "graph/symbol_graph.h"
#include "scan/source.h"

// Takes the letter, digit and white-space classes from the current locale;
// call once after setlocale and before the first scan.
void scan_init_chars();

// Scans one file in NASM syntax into the graph. True at the end of the file;
// false after a memory failure (its message has been written).
bool scan_nasm(call_graph *graph, scan_source *src, const char *file);

// Scans one file in GNU assembler syntax into the graph. True at the end of
// the file; false after a memory failure (its message has been written).
bool scan_gnu(call_graph *graph, scan_source *src, const char *file);
