// Helpers for unit tests that build a graph from NASM text and compare it as
// one line of text.
#pragma once

#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "scan/scanner.h"

// The graph in list order, one word per symbol: "name/file:line", a "*" after
// the name of the record the listing starts from by default (the first
// "main"), "()" for a function, then "[callees]" and
// "{callers}" when the lists are not empty.
std::string graph_text(const call_graph &graph);

// Scans each text as a file named "a", "b", ... into `graph` with `scan`, as
// one run does; stops at the first failed scan and returns its result.
int scan_texts(call_graph *graph, const std::vector<std::string> &files,
               scan_result (*scan)(call_graph *, scan_source *, const char *) = scan_nasm);

// Writes `text` to a new temporary file and returns its path.
std::string temp_source(const std::string &text);
