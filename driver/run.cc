#include "driver/run.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <optional>

#include "graph/index.h"
#include "graph/symbol_graph.h"
#include "output/shared.h"
#include "output/writers.h"
#include "scan/scanner.h"

const char telvanor_usage[] = "usage: telvanor [-acgnr] [-d num] [-i incl] [-R root] file ...\n";

int show_usage() {
  std::fputs(telvanor_usage, stderr);
  return 1;
}

bool run_flush(out_buffer *out) {
  if (out_flush(out)) return true;
  std::fprintf(stderr, "write error: %s\n", std::strerror(out->err));
  return false;
}

void run_seed_hashes() {
  uint64_t seed = 0;
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) != sizeof seed) {
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0 || read(fd, &seed, sizeof seed) != sizeof seed) {
      // No kernel randomness: the clock, the process and where the stack
      // lies differ from run to run, which is as much as can be had.
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      seed ^= static_cast<uint64_t>(now.tv_nsec) ^ static_cast<uint64_t>(now.tv_sec) << 32;
      seed ^= static_cast<uint64_t>(getpid()) << 16 ^ reinterpret_cast<uintptr_t>(&now);
    }
    if (fd >= 0) close(fd);
  }
  index_seed(seed);
}

namespace {
// The memory message of the writers, and of a scan that ran out of memory
// noting a further caller of a callee.
constexpr char NOMEM_TEXT[] = "Memory allocation error\n";
// The message of a scan that ran out of memory noting a callee's very first
// caller. The misspelling is deliberate: the tool has always written it so,
// and scripts that watch for it must keep finding it.
constexpr char NOMEM_FIRST_CALLER_TEXT[] = "Memory alloation error\n";

enum class run_dialect { nasm, gnu };

struct run_options {
  run_dialect dialect = run_dialect::nasm;
  bool precise = false;     // -p: read as the assembler does
  bool root_given = false;  // -R
  int isa = -1;             // -m: the set of a GNU file that shows none
  out_format format = out_format::tree;
  write_options write;
  dot_options dot;
  lex_chars chars;  // the locale's byte classes, the same for every file
};

scan_result run_scanner(call_graph *graph, const run_options &opts, scan_source *src,
                        const char *name) {
  const lex_chars *chars = &opts.chars;
  if (opts.dialect == run_dialect::gnu) {
    return opts.precise ? scan_gnu_precise_as(chars, graph, src, name, opts.isa)
                        : scan_gnu(chars, graph, src, name);
  }
  return opts.precise ? scan_nasm_precise(chars, graph, src, name)
                      : scan_nasm(chars, graph, src, name);
}

// The depth a -d argument asks for; nothing when it is a usage error.
std::optional<int32_t> run_parse_depth(const char *arg) {
  char *end = nullptr;
  errno = 0;
  long value = std::strtol(arg, &end, 10);
  if (end == arg) return std::nullopt;  // no digits at all
  if (value > INT32_MAX) return std::nullopt;
  if (value == 0 && (errno == EINVAL || errno == ERANGE)) return std::nullopt;
  // Any negative depth means "no descendants"; one too large for 32 bits
  // must not wrap into a positive depth.
  if (value < INT32_MIN) value = 0;
  return static_cast<int32_t>(value);
}

// The name that messages and the listing give to standard input, as other
// filters (grep, for one) show it.
const char run_stdin_name[] = "(standard input)";

// Writes what a scan of the operand `name` met; false when it failed.
bool run_report_scan(const scan_result &r, const char *name) {
  switch (r.status) {
    case scan_status::done:
      return true;
    case scan_status::nomem:
      std::fprintf(stderr, "%s: Memory allocation error for line %lld\n", name,
                   static_cast<long long>(r.line));
      return false;
    case scan_status::nomem_first_caller:
      std::fputs(NOMEM_FIRST_CALLER_TEXT, stderr);
      return false;
    case scan_status::nomem_later_caller:
      break;
  }
  std::fputs(NOMEM_TEXT, stderr);
  return false;
}

// What each scan_warning says after "FILE: warning: "; "%s" is the detail
// the reader kept, which may be empty.
constexpr const char *run_warning_text[] = {
    "no instruction set recognised (first instruction: %s); name it with -m\n",
    "\"%s\" is no call or jump of the file's instruction set\n",
    "not assembly source (%s)\n",
    "GNU assembler syntax (%s) read as NASM; use -a\n",
    "no function found%s\n",
};
static_assert(std::size(run_warning_text) == static_cast<size_t>(scan_warning::count));

// Writes a line for each warning a scan noted; they change no exit status.
void run_report_warnings(const scan_warnings &ws, const char *name) {
  // Input that is no assembly at all says so alone: what the reading then
  // made of its lines would only confuse.
  uint32_t seen = ws.seen;
  constexpr uint32_t not_asm = 1u << static_cast<unsigned>(scan_warning::not_assembly);
  if (seen & not_asm) seen = not_asm;
  for (size_t i = 0; i < std::size(run_warning_text); ++i) {
    if ((seen & 1u << i) == 0) continue;
    std::fprintf(stderr, "%s: warning: ", name);
    std::fprintf(stderr, run_warning_text[i], ws.detail[i]);
  }
}

// Reads one operand into the graph. Returns false after a message.
bool run_scan_file(call_graph *graph, const run_options &opts, const char *name, scan_source *src) {
  // "-" is standard input, as for every filter; a file of that name is ./-.
  // It stays open, so that a second "-" reads on where the first stopped.
  bool is_stdin = std::strcmp(name, "-") == 0;
  int fd = is_stdin ? 0 : open(name, O_RDONLY);
  if (is_stdin) name = run_stdin_name;
  if (fd < 0) {
    std::perror(name);
    return false;
  }
  src_open(src, fd);
  scan_result r = run_scanner(graph, opts, src, name);
  bool ok = run_report_scan(r, name);
  if (ok) run_report_warnings(r.warnings, name);
  if (ok && src->err != 0) {
    // A file that cannot be read to its end is no more usable than one
    // that cannot be opened: a partial graph would be a silent lie.
    errno = src->err;
    std::perror(name);
    ok = false;
  }
  if (!is_stdin) close(fd);
  return ok;
}

// Under -p, says so when the -R root names no symbol: the output then
// shows the whole graph or nothing, which may not be what was meant.
// Returns false after a message when memory ran out.
bool run_warn_root(const call_graph *graph, const run_options &opts) {
  sym_id root = SYM_NONE;
  if (!plan_find_root(graph, opts.write, &root)) {
    std::fputs(NOMEM_TEXT, stderr);
    return false;
  }
  // "*" can name no symbol: it is the way to ask for every tree.
  if (root == SYM_NONE && std::strcmp(opts.write.root_name, "*") != 0) {
    std::fprintf(stderr, "telvanor: warning: no symbol is named %s (-R)\n", opts.write.root_name);
  }
  return true;
}

// Writes the functions never called and their count.
bool run_write_uncalled(const call_graph *graph, const run_options &opts, out_buffer *out) {
  uncalled_count count;
  if (!print_uncalled(graph, opts.write, out, &count)) {
    std::fputs(NOMEM_TEXT, stderr);
    return false;
  }
  if (!run_flush(out)) return false;
  std::fprintf(stderr, "%lld of %lld functions not reached from %s%s\n",
               static_cast<long long>(count.listed), static_cast<long long>(count.functions),
               opts.write.root_name, count.rooted ? "" : " (no such symbol)");
  return true;
}

// Writes the graph and checks that standard output really took it.
bool run_write(const call_graph *graph, const run_options &opts, out_buffer *out) {
  if (opts.format == out_format::uncalled) return run_write_uncalled(graph, opts, out);
  bool ok = print_graph(graph, opts.format, opts.write, opts.dot, out);
  if (!ok) std::fputs(NOMEM_TEXT, stderr);
  return run_flush(out) && ok;
}

// Takes an option that says what the output shows and how; false for any other.
bool run_parse_view(int opt, run_options *opts) {
  switch (opt) {
    // Of -g, -j and -u the last one given wins, as of -a and -n.
    case 'g':
      opts->format = out_format::dot;
      return true;
    case 'j':
      opts->format = out_format::json;
      return true;
    case 'u':
      opts->format = out_format::uncalled;
      return true;
    case 'b':
      opts->dot.edge_labels = false;
      return true;
    case 'f':
      opts->dot.clusters = true;
      return true;
    case 'e':
      opts->write.hide_external = true;
      return true;
    case 'l':
      opts->write.compact = true;
      return true;
    case 's':
      opts->write.short_names = true;
      return true;
  }
  return false;
}

// Reads the options into `opts`; returns the exit status, 0 when the run
// goes on.
int run_parse_options(int argc, char **argv, run_options *opts, call_graph *graph) {
  optind = 0;  // a full restart of getopt, so that a process may run twice
  int opt;
  // "+": options end at the first operand, never reordered past it.
  while ((opt = getopt(argc, argv, "+abcd:efgi:jlm:nprR:su")) != -1) {
    if (run_parse_view(opt, opts)) continue;
    switch (opt) {
      case 'a':
        opts->dialect = run_dialect::gnu;
        break;
      case 'n':
        opts->dialect = run_dialect::nasm;
        break;
      case 'c':
        graph->cg_allcalls = true;
        break;
      case 'p':
        opts->precise = true;
        opts->dot.quote_ids = true;
        opts->write.root_by_short_name = true;
        break;
      case 'r':
        opts->write.reverse = true;
        break;
      case 'd':
        if (std::optional<int32_t> depth = run_parse_depth(optarg)) {
          opts->write.max_depth = *depth;
        } else {
          return show_usage();
        }
        break;
      case 'i':
        if (std::strcmp(optarg, "x") == 0) {
          opts->write.show_data = true;
        } else if (std::strcmp(optarg, "_") == 0) {
          opts->write.show_under = true;
        } else {
          return show_usage();
        }
        break;
      case 'R':
        opts->write.root_name = optarg;  // argv outlives the run
        opts->root_given = true;
        break;
      case 'm':
        opts->isa = scan_isa_by_name(optarg);
        if (opts->isa < 0) {
          std::fprintf(stderr,
                       "telvanor: -m %s: no such instruction set "
                       "(x86_64, aarch64, arm or riscv64)\n",
                       optarg);
          return show_usage();
        }
        break;
      default:
        // getopt has already said what was wrong; carry on.
        break;
    }
  }
  return argc - optind <= 0 ? show_usage() : 0;
}
}  // namespace

int telvanor_run(int argc, char **argv, out_buffer *out) {
  run_options opts;
  call_graph graph;
  int status = run_parse_options(argc, argv, &opts, &graph);
  lex_chars_from_locale(&opts.chars);
  scan_source src;
  for (int i = optind; status == 0 && i < argc; ++i) {
    if (!run_scan_file(&graph, opts, argv[i], &src)) status = 1;
  }
  // References that waited for every file, and always the release of them.
  if (opts.precise && scan_precise_end(&graph, status != 0) != scan_status::done) {
    std::fputs(NOMEM_TEXT, stderr);
    status = 1;
  }
  opts.write.files = argv + optind;
  opts.write.nfiles = argc - optind;
  opts.write.stdin_name = run_stdin_name;
  if (status == 0 && opts.precise && opts.root_given && opts.format != out_format::uncalled &&
      !run_warn_root(&graph, opts)) {
    status = 1;
  }
  if (status == 0 && !run_write(&graph, opts, out)) status = 1;
  graph_free(&graph);
  return status;
}
