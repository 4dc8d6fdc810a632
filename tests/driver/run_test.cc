// Whole command lines run in process: how the options shape the run.
#include "driver/run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/graph_text.h"
#include "tests/support/run_tool.h"

namespace {
// Runs a command line; "F" in `args` stands for the path of `source`.
tool_result run(std::vector<std::string> args, const std::string &source) {
  std::string path = temp_source(source);
  std::replace(args.begin(), args.end(), std::string("F"), path);
  tool_result r = run_in_process(args);
  unlink(path.c_str());
  return r;
}

// The names of a listing's lines, in order.
std::string listed_names(const std::string &listing) {
  std::string names;
  for (size_t start = 0; start < listing.size(); start = listing.find('\n', start) + 1) {
    size_t colon = listing.find(':', start);
    size_t name = listing.rfind(' ', colon) + 1;
    if (!names.empty()) names += ' ';
    names.append(listing, name, colon - name);
  }
  return names;
}

// main calls f1 and references d; f1 calls _u and f2; f2 calls f3.
const char chain[] =
    "section .data\nd dd 0\nsection .text\nglobal main\nmain:\n    call f1\n    mov eax, [d]\n"
    "global f1\nf1:\n    call _u\n    call f2\nglobal _u\n_u:\nglobal f2\nf2:\n    call f3\n"
    "global f3\nf3:\n";

const char usage[] = "usage: telvanor [-acgnr] [-d num] [-i incl] [-R root] file ...\n";

struct option_case {
  std::vector<std::string> args;
  const char *names;  // null: a usage error
  const char *err = "";
};

const option_case option_cases[] = {
    {{}, nullptr},
    {{"-c", "-r"}, nullptr},
    {{"F"}, "main f1 f2 f3"},
    {{"--", "F"}, "main f1 f2 f3"},
    {{"-d", "abc", "F"}, nullptr},
    {{"-d", "", "F"}, nullptr},
    {{"-d", " ", "F"}, nullptr},
    {{"-d", "-", "F"}, nullptr},
    {{"-d", "12abc", "F"}, "main f1 f2 f3"},
    {{"-d", "1", "F"}, "main f1"},
    {{"-d", " +2", "F"}, "main f1 f2"},
    {{"-d", "0", "F"}, "main"},
    {{"-d", "-3", "F"}, "main"},
    {{"-d", "2147483647", "F"}, "main f1 f2 f3"},
    {{"-d", "2147483648", "F"}, nullptr},
    {{"-d", "99999999999", "F"}, nullptr},
    {{"-d", "99999999999999999999999", "F"}, nullptr},
    {{"-d", "-4294967295", "F"}, "main"},
    {{"-d", "-99999999999", "F"}, "main"},
    {{"-d", "-99999999999999999999999", "F"}, "main"},
    {{"-d", "1", "-d", "2", "F"}, "main f1 f2"},
    {{"-i", "x", "F"}, "main f1 f2 f3 d"},
    {{"-i", "_", "F"}, "main f1 _u f2 f3"},
    {{"-i", "x", "-i", "_", "F"}, "main f1 _u f2 f3 d"},
    {{"-i", "xx", "F"}, nullptr},
    {{"-i", "y", "F"}, nullptr},
    {{"-i", "", "F"}, nullptr},
    {{"-i", "x", "-i", "y", "F"}, nullptr},
    {{"-R", "f2", "F"}, "f2 f3"},
    {{"-R", "main", "-R", "f1", "F"}, "f1 f2 f3"},
    {{"-r", "F"}, "f1 main f2 f1 f3 f2 main"},
    {{"-r", "-d", "0", "F"}, "f1 f2 f3 main"},
    {{"-a", "-n", "F"}, "main f1 f2 f3"},
    {{"-x", "F"}, "main f1 f2 f3", "telvanor: invalid option -- 'x'\n"},
    {{"-d"}, nullptr, "telvanor: option requires an argument -- 'd'\n"},
    {{"F", "-g"}, "", "-g: No such file or directory\n"},
};

void PrintTo(const option_case &c, std::ostream *os) {
  for (const std::string &a : c.args)
    *os << '"' << a << "\" ";
}

class Options : public testing::TestWithParam<option_case> {};

TEST_P(Options, ShapeTheRun) {
  const option_case &c = GetParam();
  tool_result r = run(c.args, chain);
  if (c.names == nullptr) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(c.err) + usage);
  } else {
    EXPECT_EQ(r.status, *c.names == '\0' ? 1 : 0);
    EXPECT_EQ(listed_names(r.out), c.names);
    EXPECT_EQ(r.err, c.err);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Options, testing::ValuesIn(option_cases));
}  // namespace
