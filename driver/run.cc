#include "driver/run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graph/memory.h"
#include "graph/symbol_graph.h"
#include "output/writers.h"
#include "scan/scanner.h"

const char telvanor_usage[] = "usage: telvanor [-acgnr] [-d num] [-i incl] [-R root] file ...\n";

int show_usage() {
  std::fputs(telvanor_usage, stderr);
  return 1;
}

namespace {
enum run_dialect { DIALECT_NASM, DIALECT_GNU };

struct run_options {
  run_dialect dialect = DIALECT_NASM;
  bool dot = false;
};

// Parses a -d argument into *depth; 0 when it is a usage error.
int run_parse_depth(const char *arg, int32_t *depth) {
  char *end = nullptr;
  errno = 0;
  long value = std::strtol(arg, &end, 10);
  if (end == arg) return 0;  // no digits at all
  if (value > 2147483647L) return 0;
  if (value == 0 && (errno == EINVAL || errno == ERANGE)) return 0;
  // Any negative depth means "no descendants"; one too large for 32 bits
  // must not wrap into a positive depth.
  if (value < INT32_MIN) value = 0;
  *depth = static_cast<int32_t>(value);
  return 1;
}

// The name that messages and the listing give to standard input, as other
// filters (grep, for one) show it.
const char run_stdin_name[] = "(standard input)";

// Reads one operand into the graph. Returns 1, or 0 after a message.
int run_scan_file(call_graph *graph, const run_options &opts, const char *name, scan_source *src) {
  // "-" is standard input, as for every filter; a file of that name is ./-.
  // It stays open, so that a second "-" reads on where the first stopped.
  bool is_stdin = std::strcmp(name, "-") == 0;
  int fd = is_stdin ? 0 : open(name, O_RDONLY);
  if (is_stdin) name = run_stdin_name;
  if (fd < 0) {
    std::perror(name);
    return 0;
  }
  src_open(src, fd);
  int ok = opts.dialect == DIALECT_GNU ? scan_gnu(graph, src, name) : scan_nasm(graph, src, name);
  if (ok && src->err != 0) {
    // A file that cannot be read to its end is no more usable than one
    // that cannot be opened: a partial graph would be a silent lie.
    errno = src->err;
    std::perror(name);
    ok = 0;
  }
  if (!is_stdin) close(fd);
  return ok;
}

// Writes the graph and checks that standard output really took it.
int run_write(call_graph *graph, const run_options &opts, out_buffer *out) {
  int ok = opts.dot ? print_dot(graph, out) : print_tree(graph, out);
  if (!out_flush(out)) {
    std::fprintf(stderr, "write error: %s\n", std::strerror(out->err));
    return 0;
  }
  return ok;
}
}  // namespace

int telvanor_run(int argc, char **argv, out_buffer *out) {
  run_options opts;
  call_graph graph;
  graph_init(&graph);
  char *rootname = nullptr;
  int status = 0;

  scan_nasm_reset();
  optind = 0;  // a full restart of getopt, so that a process may run twice
  int opt;
  // "+": options end at the first operand, never reordered past it.
  while (status == 0 && (opt = getopt(argc, argv, "+acd:i:gnrR:")) != -1) {
    switch (opt) {
      case 'a':
        opts.dialect = DIALECT_GNU;
        break;
      case 'n':
        opts.dialect = DIALECT_NASM;
        break;
      case 'c':
        graph.cg_allcalls = 1;
        break;
      case 'g':
        opts.dot = true;
        break;
      case 'r':
        graph.cg_reverse = 1;
        break;
      case 'd':
        if (!run_parse_depth(optarg, &graph.cg_maxdepth)) status = show_usage();
        break;
      case 'i':
        if (std::strcmp(optarg, "x") == 0) {
          graph.cg_showdata = 1;
        } else if (std::strcmp(optarg, "_") == 0) {
          graph.cg_showunder = 1;
        } else {
          status = show_usage();
        }
        break;
      case 'R': {
        char *copy = mem_strdup(optarg);
        if (copy == nullptr) {
          status = 1;  // nothing sensible to add to an exhausted memory
          break;
        }
        mem_free(rootname);
        rootname = copy;
        graph.cg_rootname = rootname;
        break;
      }
      default:
        // getopt has already said what was wrong; carry on.
        break;
    }
  }
  if (status == 0 && argc - optind <= 0) status = show_usage();

  scan_source src;
  for (int i = optind; status == 0 && i < argc; ++i) {
    if (!run_scan_file(&graph, opts, argv[i], &src)) status = 1;
  }
  if (status == 0 && !run_write(&graph, opts, out)) status = 1;

  names_free(graph.cg_ignore);
  sym_free_all(graph.cg_symbols);
  mem_free(rootname);
  return status;
}
