// Operands that cannot be read, standard output that cannot be written, and
// runs with many or empty operands, each run as the built binary.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_tool.h"

namespace {
const char kProg[] =
    "section .text\n"
    "global main\n"
    "main:\n"
    "    call work\n"
    "global work\n"
    "work: ret\n";
const char kProgOut[] =
    "1 main: (), <prog.asm 3>\n"
    "2        work: (), <prog.asm 6>\n";

void write_text(const std::string &path, const std::string &text) {
  FILE *f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

class IoFaults : public testing::Test {
 protected:
  void SetUp() override {
    // A memory file system, where it exists, makes ten thousand files cheap.
    std::string templ =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/telvanor-io-XXXXXX" : "/tmp/telvanor-io-XXXXXX";
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
    write_text(dir_ + "/prog.asm", kProg);
    write_text(dir_ + "/empty.asm", "");
    ASSERT_EQ(mkdir((dir_ + "/adir").c_str(), 0700), 0);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(IoFaults, EachFaultGivesItsMessageAndStatus) {
  struct row {
    std::vector<std::string> args;
    std::string stdout_path;  // "" captures, "-" closes
    std::string out, err;
    int status;
  } rows[] = {
      {{"adir"}, "", "", "adir: Is a directory\n", 1},
      {{"-a", "-g", "adir"}, "", "", "adir: Is a directory\n", 1},
      // The operand after the failing one is never opened.
      {{"prog.asm", "adir", "missing.asm"}, "", "", "adir: Is a directory\n", 1},
      {{"prog.asm"}, "/dev/full", "", "write error: No space left on device\n", 1},
      {{"-g", "-r", "prog.asm"}, "/dev/full", "", "write error: No space left on device\n", 1},
      {{"prog.asm"}, "-", "", "write error: Bad file descriptor\n", 1},
      {{"-a", "-g", "prog.asm"}, "-", "", "write error: Bad file descriptor\n", 1},
      {{"prog.asm"}, "", kProgOut, "", 0},
      {{"empty.asm"}, "", "", "", 0},
      {{"-a", "-r", "empty.asm", "empty.asm"}, "", "", "", 0},
      {{"-g", "empty.asm"}, "", "digraph \"TODO\" {\n}\n", "", 0},
      {{"empty.asm", "prog.asm", "empty.asm"}, "", kProgOut, "", 0},
  };
  for (const row &r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.args) + " > " + r.stdout_path);
    tool_result got = run_tool(TELVANOR_BIN, r.args, dir_, r.stdout_path);
    EXPECT_EQ(got.out, r.out);
    EXPECT_EQ(got.err, r.err);
    EXPECT_EQ(got.status, r.status);
  }
}

// A terminal whose other side hangs up after the first lines: the next read
// fails with EIO, and the run must fail rather than list what it got so far.
// (Should the hang-up come before the operand is opened, the open fails with
// the same message.)
TEST_F(IoFaults, ReadErrorMidwayFailsTheRun) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  fcntl(master, F_SETFD, FD_CLOEXEC);  // the hang-up must not wait for the child
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  termios raw;
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  ASSERT_EQ(write(master, kProg, sizeof kProg - 1), static_cast<ssize_t>(sizeof kProg - 1));
  int saved_stdin = dup(0);
  dup2(slave, 0);
  close(slave);
  std::thread hangup([master] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    close(master);
  });
  tool_result got = run_tool(TELVANOR_BIN, {"/dev/stdin"}, dir_);
  hangup.join();
  dup2(saved_stdin, 0);
  close(saved_stdin);
  EXPECT_EQ(got.out, "");
  EXPECT_EQ(got.err, "/dev/stdin: Input/output error\n");
  EXPECT_EQ(got.status, 1);
}

// Ten thousand operands, each defining the function that the one before calls.
TEST_F(IoFaults, TenThousandFiles) {
  const int n = 10000;
  std::vector<std::string> args = {"-g"};
  std::string expected = "digraph \"TODO\" {\n";
  std::string nodes;
  for (int i = 0; i < n; ++i) {
    std::string f = "f" + std::to_string(i), next = "f" + std::to_string(i + 1);
    args.push_back(f + ".asm");
    write_text(dir_ + "/" + args.back(),
               "global " + f + "\n" + f + ":\n" + (i + 1 < n ? "  call " + next + "\n" : ""));
    if (i + 1 < n) expected += "  " + f + " -> " + next + " [label=\"1\"];\n";
    nodes += "  " + f + " [label=\"" + f + "\"];\n";
  }
  tool_result got = run_tool(TELVANOR_BIN, args, dir_);
  EXPECT_EQ(got.err, "");
  EXPECT_EQ(got.status, 0);
  EXPECT_TRUE(got.out == expected + nodes + "}\n") << got.out.substr(0, 200);
}
}  // namespace
