#include "tests/support/run_tool.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "driver/run.h"
#include "output/out_buffer.h"
#include "scan/scanner.h"

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool file_exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

tool_result run_tool(const std::string &binary, const std::vector<std::string> &args,
                     const std::string &dir, const std::string &stdout_path,
                     const std::string &stdin_path) {
  char out_name[] = "/tmp/telvanor-out-XXXXXX";
  char err_name[] = "/tmp/telvanor-err-XXXXXX";
  int out_fd = mkstemp(out_name);
  int err_fd = mkstemp(err_name);
  tool_result r;
  pid_t pid = fork();
  if (pid == 0) {
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    if (!stdin_path.empty()) {
      int fd = open(stdin_path.c_str(), O_RDONLY);
      if (fd < 0) _exit(126);
      dup2(fd, 0);
    }
    if (stdout_path == "-") {
      close(1);
    } else if (!stdout_path.empty()) {
      int fd = open(stdout_path.c_str(), O_WRONLY);
      if (fd < 0) _exit(126);
      dup2(fd, 1);
    } else {
      dup2(out_fd, 1);
    }
    dup2(err_fd, 2);
    // The expected messages are the C library's untranslated ones.
    setenv("LC_ALL", "C", 1);
    std::vector<char *> argv;
    std::string name = "telvanor";
    argv.push_back(name.data());
    std::vector<std::string> copy = args;
    for (std::string &a : copy)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  struct rusage usage {};
  wait4(pid, &wstatus, 0, &usage);
  r.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  close(out_fd);
  close(err_fd);
  r.out = read_file(out_name);
  r.err = read_file(err_name);
  unlink(out_name);
  unlink(err_name);
  return r;
}

tool_result run_in_process(const std::vector<std::string> &args) {
  std::vector<std::string> copy = args;
  std::string name = "telvanor";
  std::vector<char *> argv{name.data()};
  for (std::string &a : copy)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  tool_result r;
  auto out = std::make_unique<out_buffer>();
  out_open_string(out.get(), &r.out);
  char err_name[] = "/tmp/telvanor-err-XXXXXX";
  int err_fd = mkstemp(err_name);
  std::fflush(stderr);
  int saved = dup(2);
  dup2(err_fd, 2);
  close(err_fd);
  r.status = telvanor_run(static_cast<int>(argv.size() - 1), argv.data(), out.get());
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  r.err = read_file(err_name);
  unlink(err_name);
  return r;
}
