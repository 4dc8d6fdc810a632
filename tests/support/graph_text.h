// Helpers for unit tests that build a graph from NASM text and compare it as
// one line of text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "graph/symbol_graph.h"
#include "scan/scanner.h"

// The graph in list order, one word per symbol: "name/file:line", a "*" after
// the name of the record the listing starts from by default (the first
// "main"), a "~" after that of a record whose callers were moved to another
// one, "()" for a function, then "[callees]" and
// "{callers}" when the lists are not empty.
std::string graph_text(const call_graph &graph);

using scan_fn = scan_result (*)(const lex_chars *, scan_run *, scan_source *, const char *);

// Scans `text` as a file named `name` into `run` with `scan`, `chars` and
// `read_cap` as scan_texts does; returns how the scan ended.
scan_status scan_text(scan_run *run, const std::string &text, const char *name, scan_fn scan,
                      const lex_chars *chars = nullptr, size_t read_cap = SRC_CAP);

// Scans each text as a file named "a", "b", ... into `graph` with `scan`, as
// one run does, with the byte classes `chars` (null: the locale's) and
// reading at most `read_cap` bytes at a time; stops at the first failed scan
// and returns its result.
int scan_texts(call_graph *graph, const std::vector<std::string> &files, scan_fn scan = scan_nasm,
               const lex_chars *chars = nullptr, size_t read_cap = SRC_CAP);

// Calls `check` once for every way of reading a file that must give the same
// graph: every kernel this processor has, for both readings, with whole
// reads and with reads so small that tokens, comments and strings fall
// across them. `what` names the way, `chars` holds its kernel, `read_cap` is
// its read size.
void for_each_reading(const std::function<void(const std::string &what, const lex_chars *chars,
                                               size_t read_cap)> &check);

// Writes `text` to a new temporary file and returns its path.
std::string temp_source(const std::string &text);
