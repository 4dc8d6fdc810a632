// End-to-end cases: every directory under tests/cases holds the input files,
// the arguments (one per line in `args`) and what the run must produce:
// `stdout`, `stderr` (both empty when absent) and `status` (0 when absent).
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

class EndToEnd : public testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, MatchesExpectedOutput) {
  std::string dir = std::string(TELVANOR_CASES) + "/" + GetParam();
  tool_result r = run_tool(TELVANOR_BIN, case_args(dir), dir);
  EXPECT_EQ(r.out, read_file(dir + "/stdout"));
  EXPECT_EQ(r.err, read_file(dir + "/stderr"));
  int status = file_exists(dir + "/status") ? std::stoi(read_file(dir + "/status")) : 0;
  EXPECT_EQ(r.status, status);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string> &info) {
                           std::string n = info.param;
                           std::replace_if(n.begin(), n.end(), [](char c) { return !isalnum(c); }, '_');
                           return n;
                         });

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
