// telvanor: prints the call graph of assembly source files.
#include <clocale>
#include <cstdio>
#include <cstring>

#include "driver/run.h"

namespace {
// One line for every option; the usage line comes first.
const char main_help[] =
    "Print the call graph of assembly source files.\n"
    "\n"
    "  -a        read GNU assembler syntax\n"
    "  -b        draw the digraph's edges bare, without call numbers\n"
    "  -c        list every call site, not each callee once\n"
    "  -d num    list at most num levels below the top\n"
    "  -e        leave out names that no file defines (the <> lines)\n"
    "  -f        group the digraph's nodes by file, a cluster for each\n"
    "  -g        write a Graphviz DOT digraph instead of the tree\n"
    "  -i x      also show data symbols\n"
    "  -i _      also show names that begin with an underscore\n"
    "  -j        write one JSON document instead of the tree\n"
    "  -l        lay the tree out compactly: each level two blanks further in\n"
    "  -m set    with -a -p, read a file that does not show its instruction set\n"
    "            as set: x86_64, aarch64, arm or riscv64\n"
    "  -n        read NASM syntax (the default)\n"
    "  -p        read precisely, as the assembler does: every function, static\n"
    "            or not, every call and tail call, names demangled\n"
    "  -r        list each symbol with its callers instead of its callees\n"
    "  -R root   start at the function root instead of main\n"
    "  -s        show C++ names short: parse, not parse(std::string const&)\n"
    "  -u        list the functions that no chain of calls reaches from the root\n"
    "  --help    print this help and exit\n"
    "  --version print the version and exit\n"
    "\n"
    "Of -g, -j and -u the last one given wins.\n"
    "A file operand of - reads standard input (name a file called - as ./-).\n"
    "\n"
    "Examples:\n"
    "  cc -S -O2 -o - p.c | telvanor -a -p -les -   the program's own call tree\n"
    "  telvanor -a -p -u *.s                        functions that nothing calls\n"
    "  telvanor -a -p -j *.s | jq .calls            the calls as data\n"
    "  telvanor -gfb -d 3 *.asm | dot -Tsvg >g.svg  a drawing, by file\n";

// Writes `a` and then `b` to `out`; returns the exit status, 1 (after a
// message) when standard output did not take them.
int main_print(out_buffer *out, const char *a, const char *b) {
  out_str(out, a);
  out_str(out, b);
  return run_flush(out) ? 0 : 1;
}
}  // namespace

int main(int argc, char **argv) {
  std::setlocale(LC_ALL, "");
  run_seed_hashes();
  out_buffer out;
  out_open(&out, 1);
  // The long options stand alone: with anything beside them the command line
  // is read exactly as the option string says, so no earlier use changes.
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
    return main_print(&out, telvanor_usage, main_help);
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    return main_print(&out, "telvanor " TELVANOR_VERSION, "\n");
  }
  return telvanor_run(argc, argv, &out);
}
