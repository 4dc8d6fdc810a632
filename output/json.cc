// The graph as one JSON document: the files read, the symbols the walk
// reached and the calls it followed, which are the digraph's edges.
#include <cstring>
#include <string_view>

#include "graph/index.h"
#include "memory/memory.h"
#include "output/shared.h"

namespace {
constexpr int JSON_VERSION = 1;

// In the list of calls a walk makes, the entry that names the source of the
// calls after it: the caller forward, the callee in reverse.
constexpr uint32_t JSON_SOURCE = uint32_t{1} << 31;
static_assert(INDEX_MAX_SYMS < JSON_SOURCE);

// Bytes that a JSON string holds as they are: printable ASCII but the quote
// and the backslash.
struct json_plain_bytes {
  bool is[256] = {};
  constexpr json_plain_bytes() {
    for (int c = 0x20; c < 0x80; ++c)
      is[c] = c != '"' && c != '\\';
  }
};
constexpr json_plain_bytes json_plain;

// The length of the well-formed UTF-8 sequence at `s` (`n` bytes left) that
// begins with a byte of 0x80 or more; 0 when it is none.
size_t json_utf8_length(const unsigned char *s, size_t n) {
  unsigned char c = s[0];
  size_t len = c >= 0xc2 && c <= 0xdf   ? 2
               : c >= 0xe0 && c <= 0xef ? 3
               : c >= 0xf0 && c <= 0xf4 ? 4
                                        : 0;
  if (len == 0 || len > n) return 0;
  // The second byte's range rules out overlong forms, surrogates and code
  // points above U+10FFFF.
  unsigned char lo = c == 0xe0 ? 0xa0 : c == 0xf0 ? 0x90 : 0x80;
  unsigned char hi = c == 0xed ? 0x9f : c == 0xf4 ? 0x8f : 0xbf;
  if (s[1] < lo || s[1] > hi) return 0;
  for (size_t i = 2; i < len; ++i) {
    if (s[i] < 0x80 || s[i] > 0xbf) return 0;
  }
  return len;
}

void json_view(out_buffer *out, std::string_view s) {
  out_write(out, s.data(), s.size());
}

// Writes the bytes of `s` that need more than themselves: control bytes as
// escapes, and bytes that are no UTF-8 as the lone surrogates U+DC80 to
// U+DCFF (as Python's "surrogateescape" reads them), so that every name
// comes out whole and the document stays valid.
void json_escaped(out_buffer *out, std::string_view s) {
  static const char hex[] = "0123456789abcdef";
  const unsigned char *p = reinterpret_cast<const unsigned char *>(s.data());
  size_t n = s.size();
  for (size_t i = 0; i < n;) {
    size_t run = i;
    while (run < n && json_plain.is[p[run]])
      ++run;
    out_write(out, s.data() + i, run - i);
    if ((i = run) == n) break;
    unsigned char c = p[i];
    size_t len = c >= 0x80 ? json_utf8_length(p + i, n - i) : 0;
    if (len > 0) {
      out_write(out, s.data() + i, len);
      i += len;
      continue;
    }
    char esc[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
    if (c == '"' || c == '\\') {
      esc[1] = static_cast<char>(c);
      out_write(out, esc, 2);
    } else if (c == '\n') {
      out_write(out, "\\n", 2);
    } else if (c == '\t') {
      out_write(out, "\\t", 2);
    } else {
      if (c >= 0x80) std::memcpy(esc + 2, "dc", 2);
      out_write(out, esc, 6);
    }
    ++i;
  }
}

// Writes `s` as a JSON string.
void json_string(out_buffer *out, std::string_view s) {
  size_t i = 0;
  while (i < s.size() && json_plain.is[static_cast<unsigned char>(s[i])])
    ++i;
  if (i == s.size() && s.size() + 2 <= OUT_RUN_MAX) {
    char *p = out_room(out, s.size() + 2);
    *p++ = '"';
    p = out_put(p, s.data(), s.size());
    *p++ = '"';
    return out_commit(out, p);
  }
  json_view(out, "\"");
  json_escaped(out, s);
  json_view(out, "\"");
}

// The JSON's side of the walk plan: it notes the calls, as sources each
// followed by its others, for writing once the symbols are numbered.
struct json_walk {
  const call_graph *graph;
  const write_options &opts;
  uint32_t *calls;
  size_t ncalls = 0;

  int64_t top(sym_id, bool) { return 0; }
  void meet(sym_id, int64_t, int64_t, bool) {}
  int64_t expand(sym_id id, int64_t, int64_t) {
    calls[ncalls++] = id | JSON_SOURCE;
    plan_each_visible(
        graph, opts, graph->cg_syms[id].s_callees, [&](sym_id to) { calls[ncalls++] = to; }, false);
    return 0;
  }
  void source(const reverse_item &item) { calls[ncalls++] = item.sym | JSON_SOURCE; }
  void caller(const reverse_item &, sym_id id) { calls[ncalls++] = id; }
};

// What the document needs besides the walk: room for the calls, the
// reached symbols' bits, and for each 64 symbols how many were reached
// before them, which numbers the symbols; under -c a count for each symbol.
struct json_means {
  uint32_t *calls;
  uint64_t *bits;
  uint32_t *before;
  uint32_t *counts;
};

void json_release(json_means *m) {
  mem_free(m->calls);
  mem_free(m->bits);
  mem_free(m->counts);
  *m = json_means{};
}

bool json_acquire(json_means *m, const call_graph *graph) {
  *m = json_means{};
  size_t n = static_cast<size_t>(graph->cg_nsyms);
  size_t blocks = (n + 63) / 64;
  // Each allocation only once the one before it succeeded: a failure ends
  // the writer at once.
  m->calls = static_cast<uint32_t *>(mem_alloc((n + graph->cg_ncells) * sizeof(uint32_t) + 1));
  if (m->calls != nullptr) {
    m->bits =
        static_cast<uint64_t *>(mem_alloc(blocks * (sizeof(uint64_t) + sizeof(uint32_t)) + 1));
  }
  if (m->bits != nullptr && graph->cg_allcalls) {
    m->counts = static_cast<uint32_t *>(mem_alloc(n * sizeof(uint32_t) + 1));
  }
  if (m->bits == nullptr || (graph->cg_allcalls && m->counts == nullptr)) {
    json_release(m);
    return false;
  }
  m->before = reinterpret_cast<uint32_t *>(m->bits + blocks);
  if (m->counts != nullptr) std::memset(m->counts, 0, n * sizeof(uint32_t));
  return true;
}

// The symbol's number in the document: how many reached symbols come before it.
uint32_t json_index(const json_means &m, sym_id id) {
  uint64_t below = m.bits[id / 64] & ((uint64_t{1} << (id % 64)) - 1);
  return m.before[id / 64] + static_cast<uint32_t>(__builtin_popcountll(below));
}

bool json_plain_run(std::string_view s) {
  for (char c : s) {
    if (!json_plain.is[static_cast<unsigned char>(c)]) return false;
  }
  return true;
}

// The file of the last symbol written: symbols mostly come from one file.
struct json_file {
  const char *name = nullptr;
  std::string_view text;
  bool plain = false;
};

// One symbol, after `sep`; put together in place unless a name needs escapes
// or the line is long.
void json_symbol(const call_graph *graph, out_buffer *out, sym_id id, std::string_view sep,
                 json_file *file) {
  const symbol &sym = graph->cg_syms[id];
  std::string_view name(sym_name(graph, sym), sym.s_namelen);
  bool external = sym.s_line == -1;
  if (!external && sym.s_file != file->name) {
    *file = json_file{sym.s_file, sym.s_file, false};
    file->plain = json_plain_run(file->text);
  }
  std::string_view kind = external ? "\", \"kind\": \"external\", \"file\": null, \"line\": null}"
                          : sym.s_func ? "\", \"kind\": \"function\", \"file\": \""
                                       : "\", \"kind\": \"data\", \"file\": \"";
  size_t filelen = external ? 0 : file->text.size();
  // The separator, "    {\"name\": \"", the name, the kind, the file,
  // "\", \"line\": ", the line and "}".
  size_t most = sep.size() + 14 + name.size() + kind.size() + filelen + 11 + 20 + 1;
  if (most <= OUT_RUN_MAX && (external || file->plain) && json_plain_run(name)) {
    char *p = out_put(out_room(out, most), sep.data(), sep.size());
    p = out_put(out_put(p, "    {\"name\": \"", 14), name.data(), name.size());
    p = out_put(p, kind.data(), kind.size());
    if (!external) {
      p = out_put(out_put(p, file->text.data(), filelen), "\", \"line\": ", 11);
      p = out_put(out_put_num(p, sym.s_line), "}", 1);
    }
    return out_commit(out, p);
  }
  json_view(out, sep);
  json_view(out, "    {\"name\": ");
  json_string(out, name);
  if (external) return json_view(out, kind.substr(1));
  json_view(out, kind.substr(1, kind.size() - 2));
  json_string(out, file->text);
  json_view(out, ", \"line\": ");
  out_num(out, sym.s_line, 0);
  json_view(out, "}");
}

// One call: "caller" and "callee" numbered as in "symbols", its number among
// its source's calls, and under -c how many calls the caller makes to the callee.
void json_call(out_buffer *out, std::string_view sep, uint32_t caller, uint32_t callee,
               int64_t order, int64_t count) {
  char *p = out_put(out_room(out, 128), sep.data(), sep.size());
  p = out_put(p, "    {\"caller\": ", 15);
  p = out_put(out_put_num(p, caller), ", \"callee\": ", 12);
  p = out_put(out_put_num(p, callee), ", \"order\": ", 11);
  p = out_put_num(p, order);
  if (count > 0) p = out_put_num(out_put(p, ", \"count\": ", 11), count);
  out_commit(out, out_put(p, "}", 1));
}

void json_calls(const write_options &opts, const json_means &m, size_t ncalls, out_buffer *out) {
  std::string_view sep = "\n";
  for (size_t i = 0; i < ncalls;) {
    sym_id source = m.calls[i++] & ~JSON_SOURCE;
    size_t end = i;
    while (end < ncalls && (m.calls[end] & JSON_SOURCE) == 0)
      ++end;
    uint32_t from = json_index(m, source);
    // Counts are for calls that each site records: forward under -c.
    bool count = m.counts != nullptr && !opts.reverse;
    size_t start = i;
    for (size_t k = i; count && k < end; ++k)
      m.counts[m.calls[k]]++;
    for (int64_t order = 1; i < end; ++i, ++order) {
      uint32_t other = json_index(m, m.calls[i]);
      int64_t n = count ? m.counts[m.calls[i]] : 0;
      if (opts.reverse) {
        json_call(out, sep, other, from, order, n);
      } else {
        json_call(out, sep, from, other, order, n);
      }
      sep = ",\n";
    }
    for (size_t k = start; count && k < end; ++k)
      m.counts[m.calls[k]] = 0;
  }
}

// Numbers the symbols that the walk reached, in list order.
void json_number(const walk_plan &plan, json_means *m) {
  int64_t nsyms = plan.graph->cg_nsyms;
  uint32_t count = 0;
  for (int64_t b = 0; b * 64 < nsyms; ++b) {
    uint64_t bits = 0;
    if (!plan.opts->reverse) {
      bits = plan.run.marks[b];
    } else {
      for (int64_t i = b * 64; i < nsyms && i < b * 64 + 64; ++i)
        bits |= uint64_t{plan_reached(plan, static_cast<sym_id>(i))} << (i % 64);
    }
    m->bits[b] = bits;
    m->before[b] = count;
    count += static_cast<uint32_t>(__builtin_popcountll(bits));
  }
}

void json_head(const walk_plan &plan, out_buffer *out) {
  const write_options &opts = *plan.opts;
  json_view(out, "{\n  \"version\": ");
  out_num(out, JSON_VERSION, 0);
  json_view(out, ",\n  \"root\": ");
  if (opts.reverse || plan.root == SYM_NONE) {
    json_view(out, "null");
  } else {
    const symbol &root = plan.graph->cg_syms[plan.root];
    json_string(out, {sym_name(plan.graph, root), root.s_namelen});
  }
  json_view(out, opts.reverse ? ",\n  \"reverse\": true" : ",\n  \"reverse\": false");
  json_view(out, ",\n  \"files\": [");
  for (int64_t i = 0; i < opts.nfiles; ++i) {
    if (i > 0) json_view(out, ", ");
    json_string(out, write_file_name(opts, i));
  }
  json_view(out, "],\n  \"symbols\": [");
}
}  // namespace

bool print_json(const call_graph *graph, const write_options &opts, out_buffer *out) {
  json_means m;
  if (!json_acquire(&m, graph)) return false;
  walk_plan plan;
  if (!plan_begin(&plan, graph, opts)) {
    json_release(&m);
    return false;
  }
  json_walk w{graph, opts, m.calls};
  if (opts.reverse) {
    plan_reverse(&plan, w);
  } else {
    plan_forward(&plan, w);
  }
  json_number(plan, &m);
  json_head(plan, out);
  std::string_view sep = "\n";
  json_file file;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    if ((m.bits[i / 64] >> (i % 64) & 1) == 0) continue;
    json_symbol(graph, out, static_cast<sym_id>(i), sep, &file);
    sep = ",\n";
  }
  json_view(out, "\n  ],\n  \"calls\": [");
  json_calls(opts, m, w.ncalls, out);
  json_view(out, "\n  ]\n}\n");
  plan_end(&plan);
  json_release(&m);
  return true;
}
