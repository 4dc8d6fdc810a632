// Makes every single allocation of a set of complete runs fail in turn and
// checks that each failure ends the run with one of telvanor's own memory
// messages, status 1, nothing on standard output and nothing leaked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "driver/run.h"
#include "memory/memory.h"
#include "scan/scanner.h"
#include "tests/support/run_tool.h"

namespace {
// Data symbols, forward references completed by the second file, duplicate
// calls and duplicate callers, a hidden name, and a name LONG long enough to
// make the word buffer grow twice; once in each dialect. In NASM a routine
// made global after its label, and a name after "$".
const char kNasmA[] = R"(section .data
counter dd 0
table: dq 1
section .text
global main
main:
    call init
    call init ; twice
    call LONG
    mov eax, [counter]
    mov ebx, table
global init
init:
    call helper
    call main
    mov eax, counter
global _hidden
_hidden: call helper
)";
const char kNasmB[] = R"(section .text
global helper
helper:
    call init
    call puts
    call helper.part.0
    jmp later
global LONG
LONG:
    call helper
global start
start: call main
    mov eax, [$buf]
later: ret
global later
section .bss
buf resb 4
)";
const char kGnuA[] = R"(.data
counter: .long 0
.text
.globl main
main:
    call init // twice
    call init
    call LONG
    movl counter, %eax
.global init
init: call helper
    /* back */ call main
.globl _hidden
_hidden: call helper
    movl shared, %eax
    movl after, %ebx
    call local
    call x1; call x2; call x3; call x4; call x5
    call again
    call again2
    movl shared_too, %ecx
local: call *puts@GOTPCREL(%rip)
.data
after: .long 1
)";
const char kGnuB[] = R"(.text
.globl helper
helper: call init
    call puts
    call _ZN3foo3barEv@PLT
    jmp later
.type helper.cold, @function
helper.cold: call abort
.globl LONG
LONG: call helper
.globl start
start: call main
later: ret
.globl again, again2
.set again, helper
.set again2, gone
.data
.globl shared, shared_too
shared: .long 2
shared_too = shared
)";

// Names the defined outcome that `err` is, or "" when it is none of them.
// A scanner's message names an operand and a line: "scanner <operand>:<line>".
std::string outcome_kind(const std::string &err, const std::vector<std::string> &args) {
  if (err == "Memory alloation error\n") return "first caller";
  if (err == "Memory allocation error\n") return "later caller or writer";
  std::smatch m;
  static const std::regex scanner("(.*)/(.*): Memory allocation error for line ([1-9][0-9]*)\n");
  if (std::regex_match(err, m, scanner)) {
    for (size_t i = 1; i < args.size(); ++i) {
      if (args[i] == m[1].str() + "/" + m[2].str())
        return "scanner " + m[2].str() + ":" + m[3].str();
    }
  }
  return "";
}

TEST(AllocationSweep, EveryFailureEndsInADefinedOutcome) {
  char dir_templ[] = "/tmp/telvanor-sweep-XXXXXX";
  ASSERT_NE(mkdtemp(dir_templ), nullptr);
  std::string dir = dir_templ;
  const std::pair<const char *, std::string> files[] = {
      {"a.asm", kNasmA},
      {"b.asm", kNasmB},
      {"a.s", kGnuA},
      {"b.s", kGnuB},
      // No callee with a second caller: only the writer may fail with the
      // message of a further caller.
      {"c.asm", "global main\nmain:\n    call f\nglobal f\nf:\n    call g\n    call main\n"},
      // A label alone on its line, whose failures -p must charge to it and not
      // to the line after; and a name past the demangler's budget.
      {"d.asm",
       "global f\nf:\n    call _Z1f1AIS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IiiES0_ES1_ES2_ES3_ES4_"
       "ES5_ES6_ES7_ES8_ES9_E\n    call _ZN3foo3barEv\nglobal LONG\nLONG:\n"}};
  const std::regex long_name("LONG");
  for (const auto &[name, text] : files) {
    FILE *f = std::fopen((dir + "/" + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(std::regex_replace(text, long_name, std::string(80, 'n')).c_str(), f);
    std::fclose(f);
  }
  std::string a = dir + "/a.asm", b = dir + "/b.asm", ga = dir + "/a.s", gb = dir + "/b.s";
  std::string c = dir + "/c.asm", d = dir + "/d.asm";
  const std::vector<std::vector<std::string>> runs = {
      {"telvanor", a, b},
      {"telvanor", "-i", "x", "-i", "_", a, b, a},
      {"telvanor", "-r", "-c", "-i", "x", a, b},
      {"telvanor", "-g", "-i", "x", a, b},
      {"telvanor", "-g", "-r", "-c", "-i", "_", a, b},
      {"telvanor", "-R", "start", "-R", "helper", "-d", "1", b, a},
      {"telvanor", "-a", "-c", "-i", "x", ga, gb},
      {"telvanor", "-a", "-r", "-i", "_", ga, gb},
      {"telvanor", "-a", "-g", "-R", "init", gb, ga},
      {"telvanor", "-a", "-g", "-r", "-c", "-i", "x", "-i", "_", ga, gb},
      {"telvanor", "-g", c},
      // The readings of -p.
      {"telvanor", "-p", "-i", "x", a, b},
      {"telvanor", "-p", "-g", "-c", "-i", "_", b, a},
      {"telvanor", "-a", "-p", "-i", "x", ga, gb},
      {"telvanor", "-a", "-p", "-g", "-r", "-c", gb, ga},
      // The other outputs and views.
      {"telvanor", "-j", "-c", "-i", "x", a, b},
      {"telvanor", "-a", "-j", "-r", "-e", ga, gb},
      {"telvanor", "-u", "-s", a, b},
      {"telvanor", "-g", "-f", "-b", "-s", "-i", "x", a, b},
      {"telvanor", "-a", "-p", "-l", "-s", "-R", "foo::bar", gb, ga},
      {"telvanor", "-p", "-i", "_", "-R", std::string(80, 'n'), d},
  };
  long total = 0;
  std::set<std::string> kinds;
  for (const std::vector<std::string> &args : runs) {
    mem_fail_at(0);
    tool_result clean = run_in_process({args.begin() + 1, args.end()});
    long attempts = mem_attempts();
    ASSERT_EQ(clean.status, 0) << args.back() << ": " << clean.err;
    // -u counts what it listed on standard error.
    ASSERT_EQ(clean.err, args[1] == "-u" ? "1 of 5 functions not reached from main\n" : "");
    ASSERT_NE(clean.out, "");
    ASSERT_EQ(mem_live(), 0);
    std::string last_failure;
    for (long n = 1; n <= attempts; ++n) {
      mem_fail_at(n);
      tool_result r = run_in_process({args.begin() + 1, args.end()});
      SCOPED_TRACE(testing::Message() << "run " << &args - runs.data() << ", allocation " << n);
      ASSERT_EQ(mem_live(), 0);  // everything taken is given back
      std::string kind = outcome_kind(r.err, args);
      ASSERT_EQ(r.status, 1) << r.err;
      ASSERT_EQ(r.out, "");
      ASSERT_NE(kind, "") << r.err;
      ASSERT_EQ(mem_attempts(), n);  // a failure ends the run at once
      if (args.back() == c && n < attempts) {
        ASSERT_NE(kind, "later caller or writer");
      }
      if (args.back() == d && kind.starts_with("scanner")) {
        ASSERT_LE(kind, "scanner d.asm:6");
      }
      kinds.insert(kind);
      last_failure = r.err;
    }
    // The writer allocates last, after the whole graph is built.
    EXPECT_EQ(last_failure, "Memory allocation error\n");
    total += attempts;
  }
  mem_fail_at(0);
  // Together the runs reach every kind of site that can fail, and a scanner
  // names the line it was on: the first word's buffer, a data label, a
  // function's definition, a call's declaration.
  for (const char *kind : {"first caller", "later caller or writer", "scanner a.asm:1",
                           "scanner a.asm:2", "scanner a.asm:6", "scanner a.asm:7"}) {
    EXPECT_TRUE(kinds.contains(kind)) << kind;
  }
  std::printf("allocation failure points exercised: %ld\n", total);
  std::filesystem::remove_all(dir);
}
}  // namespace
