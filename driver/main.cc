// telvanor: prints the call graph of assembly source files.
#include <clocale>

#include "driver/run.h"
#include "scan/scanner.h"

namespace {
out_buffer main_out;
}

int main(int argc, char **argv) {
  std::setlocale(LC_ALL, "");
  scan_init_chars();
  out_open(&main_out, 1);
  return telvanor_run(argc, argv, &main_out);
}
