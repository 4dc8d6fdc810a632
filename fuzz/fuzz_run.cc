// libFuzzer target: one whole telvanor run in process.
//
// Input layout: the first line holds the options, separated by blanks (a
// token "@N" is not passed on but makes allocation number N fail); the rest
// holds up to eight files, separated by lines "%%". The files are written to
// a private directory and handed to the run as its operands.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "driver/run.h"
#include "memory/memory.h"
#include "output/out_buffer.h"
#include "scan/scanner.h"

namespace {
std::string fuzz_dir;
std::unique_ptr<out_buffer> fuzz_out = std::make_unique<out_buffer>();

void fuzz_write_file(const std::string &path, const char *data, size_t len) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) std::abort();
  while (len > 0) {
    ssize_t n = write(fd, data, len);
    if (n <= 0) std::abort();
    data += n;
    len -= static_cast<size_t>(n);
  }
  close(fd);
}

// Splits the options line at blanks; takes out the "@N" token.
std::vector<std::string> fuzz_options(const std::string &line, long *fail_at) {
  std::vector<std::string> args;
  size_t i = 0;
  while (i < line.size() && args.size() < 16) {
    size_t j = line.find_first_of(" \t", i);
    if (j == std::string::npos) j = line.size();
    if (j > i) {
      std::string tok = line.substr(i, j - i);
      if (tok[0] == '@') {
        *fail_at = std::strtol(tok.c_str() + 1, nullptr, 10) % 100000;
      } else {
        args.push_back(tok);
      }
    }
    i = j + 1;
  }
  return args;
}
// One whole run with `args`; its standard output goes to *out.
int fuzz_run(std::vector<std::string> &args, std::string *out) {
  std::vector<char *> argv;
  for (std::string &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  out_open_string(fuzz_out.get(), out);
  return telvanor_run(static_cast<int>(argv.size() - 1), argv.data(), fuzz_out.get());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // An operand "-" reads standard input: make that empty, so that a run
  // never waits on a terminal and every input replays alike.
  int null_fd = open("/dev/null", O_RDONLY);
  if (null_fd < 0 || dup2(null_fd, 0) < 0) std::abort();
  if (null_fd != 0) close(null_fd);
  char templ[] = "/tmp/telvanor-fuzz-XXXXXX";
  const char *shm = "/dev/shm/telvanor-fuzz-XXXXXX";
  std::string t = access("/dev/shm", W_OK) == 0 ? shm : templ;
  if (mkdtemp(t.data()) == nullptr) std::abort();
  fuzz_dir = t;
  std::atexit([] {
    for (int n = 0; n < 8; ++n)
      unlink((fuzz_dir + "/f" + std::to_string(n) + ".asm").c_str());
    rmdir(fuzz_dir.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string input(reinterpret_cast<const char *>(data), size);
  size_t eol = input.find('\n');
  std::string line = input.substr(0, eol);
  std::string rest = eol == std::string::npos ? "" : input.substr(eol + 1);

  long fail_at = 0;
  std::vector<std::string> args = fuzz_options(line, &fail_at);
  args.insert(args.begin(), "telvanor");
  size_t start = 0;
  std::vector<std::string> names;
  for (int n = 0; n < 8; ++n) {
    size_t sep = rest.find("\n%%\n", start);
    size_t end = sep == std::string::npos ? rest.size() : sep + 1;
    names.push_back(fuzz_dir + "/f" + std::to_string(n) + ".asm");
    fuzz_write_file(names.back(), rest.data() + start, end - start);
    args.push_back(names.back());
    if (sep == std::string::npos) break;
    start = sep + 4;
  }

  std::string out;
  mem_fail_at(fail_at);
  int status = fuzz_run(args, &out);
  bool failed_alloc = fail_at > 0 && mem_attempts() >= fail_at;
  mem_fail_at(0);

  // Every run ends in 0 or 1 and gives back all its memory, and a failed
  // one prints nothing.
  if (status != 0 && status != 1) std::abort();
  if (mem_live() != 0) std::abort();
  if (status != 0 && !out.empty()) std::abort();
  if (status == 0 && !out.empty() && out.back() != '\n') std::abort();
  // Every allocation matters: one that failed fails the run.
  if (failed_alloc && status != 1) std::abort();
  return 0;
}
