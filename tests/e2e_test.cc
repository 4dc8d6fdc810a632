// End-to-end cases: every directory under tests/cases holds the input files,
// the arguments (one per line in `args`), optionally what standard input
// holds (`stdin`), and what the run must produce: `stdout`, `stderr` (both
// empty when absent) and `status` (0 when absent).
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "graph/index.h"
#include "tests/support/run_tool.h"

namespace {
std::vector<std::string> case_names() {
  std::vector<std::string> names;
  if (DIR *d = opendir(TELVANOR_CASES)) {
    while (dirent *ent = readdir(d)) {
      std::string name = ent->d_name;
      if (name[0] != '.') names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> case_args(const std::string &dir) {
  std::vector<std::string> args;
  std::string text = read_file(dir + "/args");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    args.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return args;
}

// Runs telvanor in the case directory `dir` with `args`.
tool_result run_case(const std::string &dir, const std::vector<std::string> &args) {
  return run_tool(TELVANOR_BIN, args, dir, "", file_exists(dir + "/stdin") ? "stdin" : "");
}

// A case directory's name as a test name: letters and digits only.
std::string case_test_name(const testing::TestParamInfo<std::string> &info) {
  std::string n = info.param;
  std::replace_if(
      n.begin(), n.end(), [](char c) { return !isalnum(c); }, '_');
  return n;
}

class EndToEnd : public testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, MatchesExpectedOutput) {
  std::string dir = std::string(TELVANOR_CASES) + "/" + GetParam();
  tool_result r = run_case(dir, case_args(dir));
  EXPECT_EQ(r.out, read_file(dir + "/stdout"));
  EXPECT_EQ(r.err, read_file(dir + "/stderr"));
  int status = file_exists(dir + "/status") ? std::stoi(read_file(dir + "/status")) : 0;
  EXPECT_EQ(r.status, status);
}

// The hashes of names are keyed with a new seed every run, and no output
// may show it: each case, read both ways, gives the same bytes under two
// seeds. Run in this process, where the seed can be chosen.
TEST_P(EndToEnd, SameOutputUnderAnySeed) {
  std::string dir = std::string(TELVANOR_CASES) + "/" + GetParam();
  std::vector<std::string> args = case_args(dir);
  char *back = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  int saved_stdin = dup(0);
  for (bool precise : {false, true}) {
    std::vector<std::string> run_args = args;
    if (precise) run_args.insert(run_args.begin(), "-p");
    tool_result runs[2];
    for (uint64_t seed : {1, 2}) {
      if (file_exists("stdin")) {
        int fd = open("stdin", O_RDONLY);
        dup2(fd, 0);
        close(fd);
      }
      index_seed(seed);
      runs[seed - 1] = run_in_process(run_args);
    }
    SCOPED_TRACE(precise ? "-p" : "default");
    EXPECT_EQ(runs[0].out, runs[1].out);
    EXPECT_EQ(runs[0].err, runs[1].err);
    EXPECT_EQ(runs[0].status, runs[1].status);
  }
  dup2(saved_stdin, 0);
  close(saved_stdin);
  EXPECT_EQ(chdir(back), 0);
  free(back);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, testing::ValuesIn(case_names()), case_test_name);

// Every successful case's graph, written with -g, must be a digraph that
// Graphviz lays out without a single error or warning.
std::vector<std::string> ok_case_names() {
  std::vector<std::string> names = case_names();
  std::erase_if(names, [](const std::string &n) {
    std::string dir = std::string(TELVANOR_CASES) + "/" + n;
    std::string status = read_file(dir + "/status");
    // --help and --version stand alone: with -g beside them they are no longer themselves.
    std::vector<std::string> args = case_args(dir);
    bool long_option = args.size() == 1 && args[0].rfind("--", 0) == 0;
    return long_option || (!status.empty() && std::stoi(status) != 0);
  });
  return names;
}

// True when an argument of the case `name` gives one of the option `letters`.
bool case_has_option(const std::string &name, const char *letters) {
  for (const std::string &a : case_args(std::string(TELVANOR_CASES) + "/" + name)) {
    if (a.size() > 1 && a[0] == '-' && a.find_first_of(letters, 1) != std::string::npos)
      return true;
  }
  return false;
}

// The cases whose own options leave the choice of output to the check.
// What a shell command writes, with its wait status in *status (-1 when it
// could not be started).
std::string command_output(const std::string &command, int *status) {
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
    out.append(buf, n);
  *status = pclose(pipe);
  return out;
}

std::vector<std::string> digraph_case_names() {
  std::vector<std::string> names = ok_case_names();
  std::erase_if(names, [](const std::string &n) { return case_has_option(n, "ju"); });
  return names;
}

class Graphviz : public testing::TestWithParam<std::string> {};

TEST_P(Graphviz, AcceptsDigraph) {
  static const bool have_dot = std::system("command -v dot >/dev/null 2>&1") == 0;
  if (!have_dot) {
    const char *ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") FAIL() << "Graphviz dot is not installed";
    GTEST_SKIP() << "Graphviz dot is not installed: digraph not checked";
  }
  std::string dir = std::string(TELVANOR_CASES) + "/" + GetParam();
  std::vector<std::string> args = case_args(dir);
  args.insert(args.begin(), "-g");
  tool_result r = run_case(dir, args);
  ASSERT_EQ(r.status, 0) << r.err;

  char name[] = "/tmp/telvanor-dot-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, r.out.data(), r.out.size()), static_cast<ssize_t>(r.out.size()));
  close(fd);
  std::string command = std::string("dot -Tsvg -o /dev/null <") + name + " 2>&1";
  int status = -1;
  std::string complaints = command_output(command, &status);
  unlink(name);
  EXPECT_EQ(complaints, "") << r.out;
  EXPECT_EQ(status, 0) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Cases, Graphviz, testing::ValuesIn(digraph_case_names()), case_test_name);

// Every successful case, written with -j, must be one valid JSON document
// whose calls are the edges of the digraph of the same run, in the same
// order (a reverse run's edges point from the callee to its callers).
// Runs that choose another output themselves, or shorten the digraph's
// labels, keep their own.
const char kJsonCheck[] = R"py(
import json, re, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
assert doc["version"] == 1 and isinstance(doc["reverse"], bool), doc
syms = doc["symbols"]
for s in syms:
    assert s["kind"] in ("function", "data", "external"), s
    assert (s["file"] is None) == (s["kind"] == "external") == (s["line"] is None), s
name = lambda i: syms[i]["name"]
calls = [(name(c["callee"]), name(c["caller"])) if doc["reverse"] else
         (name(c["caller"]), name(c["callee"])) for c in doc["calls"]]
orders = [c["order"] for c in doc["calls"]]
ID = r'("(?:[^"\\]|\\.)*"|\S+)'
unquote = lambda s: re.sub(r'\\(.)', r'\1', s)
labels, edges, nodes = {}, [], 0
for line in open(sys.argv[2], encoding="utf-8", errors="surrogateescape").read().splitlines()[1:-1]:
    m = re.fullmatch(r"\s+" + ID + r' -> ' + ID + r' \[label="(\d+)"\];', line)
    if m:
        edges.append((m[1], m[2], int(m[3])))
        continue
    m = re.fullmatch(r"\s+" + ID + r' \[label="((?:[^"\\]|\\.)*)"(,shape=box)?\];', line)
    assert m, line
    labels[m[1]] = unquote(m[2])
    nodes += 1
want = [(labels[a], labels[b]) for a, b, _ in edges]
assert calls == want, (calls, want)
assert orders == [n for _, _, n in edges], orders
assert len(syms) == nodes, (len(syms), nodes)
)py";

std::vector<std::string> json_case_names() {
  std::vector<std::string> names = ok_case_names();
  std::erase_if(names, [](const std::string &n) { return case_has_option(n, "gjus"); });
  return names;
}

// Writes `text` to a new temporary file and returns its name.
std::string json_temp(const std::string &text) {
  char name[] = "/tmp/telvanor-json-XXXXXX";
  int fd = mkstemp(name);
  if (fd >= 0) {
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) unlink(name);
    close(fd);
  }
  return name;
}

class Json : public testing::TestWithParam<std::string> {};

TEST_P(Json, ParsesAndMatchesDigraph) {
  static const bool have_python = std::system("command -v python3 >/dev/null 2>&1") == 0;
  if (!have_python) GTEST_SKIP() << "python3 is not installed: JSON not checked";
  std::string dir = std::string(TELVANOR_CASES) + "/" + GetParam();
  std::vector<std::string> args = case_args(dir);
  args.insert(args.begin(), "-j");
  tool_result json = run_case(dir, args);
  ASSERT_EQ(json.status, 0) << json.err;
  args[0] = "-g";
  tool_result dot = run_case(dir, args);
  ASSERT_EQ(dot.status, 0) << dot.err;
  std::string script = json_temp(kJsonCheck), doc = json_temp(json.out), graph = json_temp(dot.out);
  std::string command = "python3 " + script + " " + doc + " " + graph + " 2>&1";
  int status = -1;
  std::string complaints = command_output(command, &status);
  for (const std::string &f : {script, doc, graph})
    unlink(f.c_str());
  EXPECT_EQ(complaints, "") << json.out;
  EXPECT_EQ(status, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Json, testing::ValuesIn(json_case_names()), case_test_name);

// A full disk or a closed standard output fails the run instead of passing
// for success.
TEST(EndToEnd, FailedWriteIsReported) {
  const char *rows[][2] = {
      {"/dev/full", "write error: No space left on device\n"},
      {"-", "write error: Bad file descriptor\n"},
  };
  for (const auto &row : rows) {
    tool_result r = run_tool(TELVANOR_BIN, {"prog.asm"},
                             std::string(TELVANOR_CASES) + "/overview_plain", row[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, row[1]);
    EXPECT_EQ(r.status, 1);
  }
}
}  // namespace
