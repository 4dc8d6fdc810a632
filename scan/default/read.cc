// The default reading of each dialect, with the kernel the run chose.
#include "scan/default/engine.h"
#include "scan/isa/x86_64.h"
#include "scan/scanner.h"
#include "scan/syntax/gnu.h"
#include "scan/syntax/nasm.h"

scan_result scan_nasm(const lex_chars *chars, scan_run *run, scan_source *src, const char *file) {
  using reading = default_reading<default_dialect<nasm_syntax, x86_64_isa>>;
  return simd_dispatch<reading>(chars->kernel, chars, run->graph, src, file);
}

scan_result scan_gnu(const lex_chars *chars, scan_run *run, scan_source *src, const char *file) {
  using reading = default_reading<default_dialect<gnu_syntax, x86_64_isa>>;
  return simd_dispatch<reading>(chars->kernel, chars, run->graph, src, file);
}
