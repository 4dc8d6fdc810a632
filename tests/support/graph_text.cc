#include "tests/support/graph_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "scan/scanner.h"

namespace {
// A symbol's name; one local to its file has "@" and the file after it.
void name_text(std::string *s, const call_graph &graph, const symbol &sym) {
  *s += sym_name(&graph, sym);
  if (sym.s_local) *s += std::string("@") + sym.s_file;
}

void edge_text(std::string *s, const call_graph &graph, cell_id c, char open, char close) {
  if (c == CELL_NONE) return;
  *s += open;
  for (; c != CELL_NONE; c = graph_cell(&graph, c).e_next) {
    name_text(s, graph, graph_sym(&graph, graph_cell(&graph, c).e_sym));
    if (graph_cell(&graph, c).e_next != CELL_NONE) *s += ',';
  }
  *s += close;
}
}  // namespace

std::string graph_text(const call_graph &graph) {
  std::string s;
  sym_id root = sym_lookup(&graph, "main").id;
  for (int64_t i = 0; i < graph.cg_nsyms; ++i) {
    const symbol &sym = graph_sym(&graph, static_cast<sym_id>(i));
    if (!s.empty()) s += ' ';
    name_text(&s, graph, sym);
    if (i == root) s += '*';
    s += std::string("/") + sym.s_file + ':' + std::to_string(sym.s_line);
    if (sym.s_func) s += "()";
    edge_text(&s, graph, sym.s_callees, '[', ']');
    edge_text(&s, graph, sym.s_callers, '{', '}');
  }
  return s;
}

std::string temp_source(const std::string &text) {
  char name[] = "/tmp/telvanor-src-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    std::abort();
  }
  close(fd);
  return name;
}

int scan_texts(call_graph *graph, const std::vector<std::string> &files, scan_fn scan,
               const lex_chars *chars, size_t read_cap) {
  static scan_source src;
  static lex_chars locale_chars;
  if (chars == nullptr) {
    lex_chars_from_locale(&locale_chars);
    chars = &locale_chars;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    std::string path = temp_source(files[i]);
    int fd = open(path.c_str(), O_RDONLY);
    unlink(path.c_str());
    src_open(&src, fd);
    src.cap = read_cap;
    std::string name(1, static_cast<char>('a' + i));
    scan_status status = scan(chars, graph, &src, name.c_str()).status;
    close(fd);
    if (status != scan_status::done) return scan_precise_end(graph, true), 0;
  }
  return scan_precise_end(graph) == scan_status::done;
}

void for_each_reading(const std::function<void(const std::string &what, const lex_chars *chars,
                                               size_t read_cap)> &check) {
  lex_chars chars;
  lex_chars_from_locale(&chars);
  for (simd_kind kind : {simd_kind::plain, simd_kind::sse2, simd_kind::avx2, simd_kind::neon}) {
    if (!simd_available(kind)) continue;
    chars.kernel = kind;
    chars.fixed_kernel = kind;
    for (size_t cap : {SRC_CAP, size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{64}, size_t{65}})
      check(std::string(simd_name(kind)) + " kernel, reads of " + std::to_string(cap), &chars, cap);
  }
}
