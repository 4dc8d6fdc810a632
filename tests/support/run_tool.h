// Runs the built telvanor binary as a child process and captures what it
// writes, for the end-to-end tests.
#pragma once

#include <string>
#include <vector>

struct tool_result {
  std::string out;
  std::string err;
  int status = -1;         // exit status, or 128 + signal number
  double cpu_seconds = 0;  // user and system time the run took
};

// Runs `binary` with `args` (argv[0] is "telvanor") in directory `dir`.
// `stdout_path`, when not empty, is opened as standard output instead of a
// capture; "-" closes standard output. `stdin_path`, when not empty, is
// opened (relative to `dir`) as standard input.
tool_result run_tool(const std::string &binary, const std::vector<std::string> &args,
                     const std::string &dir, const std::string &stdout_path = "",
                     const std::string &stdin_path = "");

// Runs one whole command line (`args` without the program name) in this
// process through telvanor_run, with standard output collected in a string
// and standard error caught in a temporary file. Allocates nothing through
// the memory seam, so allocation counts are those of the run alone.
tool_result run_in_process(const std::vector<std::string> &args);

// Reads a whole file; empty when it does not exist.
std::string read_file(const std::string &path);

// True when `path` exists.
bool file_exists(const std::string &path);
