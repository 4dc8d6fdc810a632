#include "output/names.h"

#include <cstring>

#include "memory/memory.h"

namespace {
bool name_ident(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// Where the group that opens at `at` (with `open`, closed by `close`, nested)
// ends: just past its closing byte, or at `len`.
size_t name_skip_group(const char *name, size_t len, size_t at, char open, char close) {
  int depth = 0;
  for (; at < len; ++at) {
    if (name[at] == open) ++depth;
    if (name[at] == close && --depth == 0) return at + 1;
  }
  return len;
}

// The length of the operator that follows the word "operator" at `at`:
// " new[]", "<<=", "()", "\"\" _x" and the like.
size_t name_operator(const char *name, size_t len, size_t at) {
  std::string_view rest(name + at, len - at);
  size_t n = 0;
  if (rest.starts_with("\"\"")) {
    n = 2;
    if (rest.substr(n).starts_with(" ")) ++n;
  } else if (rest.starts_with(" ")) {
    n = 1;  // new, delete, co_await or a conversion: a word
  } else {
    static constexpr std::string_view ops[] = {
        "()", "[]", "->*", "->", "<=>", "<<=", ">>=", "<<", ">>", "<=", ">=", "==", "!=",
        "&&", "||", "++",  "--", "+=",  "-=",  "*=",  "/=", "%=", "&=", "|=", "^=", "<",
        ">",  "+",  "-",   "*",  "/",   "%",   "^",   "&",  "|",  "~",  "!",  "=",  ","};
    for (std::string_view op : ops) {
      if (rest.starts_with(op)) return op.size();
    }
    return 0;
  }
  while (n < rest.size() && (name_ident(rest[n]) || rest[n] == ':'))
    ++n;
  if (rest.substr(n).starts_with("[]")) n += 2;
  return n;
}
}  // namespace

size_t name_shorten(const char *name, size_t len, char *out) {
  size_t o = 0, word = 0;  // word: where the last word of the name begins in `out`
  bool function = false;
  for (size_t i = 0; i < len;) {
    char c = name[i];
    std::string_view rest(name + i, len - i);
    if (rest.starts_with("operator") && (i == 0 || !name_ident(name[i - 1])) &&
        (i + 8 == len || !name_ident(name[i + 8]))) {
      size_t n = 8 + name_operator(name, len, i + 8);
      std::memcpy(out + o, name + i, n);
      o += n;
      i += n;
    } else if (c == '<') {
      i = name_skip_group(name, len, i, '<', '>');
    } else if (c == '(' && rest.starts_with("(anonymous namespace)")) {
      std::memcpy(out + o, name + i, 21);
      o += 21;
      i += 21;
    } else if (c == '(') {
      // A parameter list: the name ends here, unless a local name follows.
      i = name_skip_group(name, len, i, '(', ')');
      function = true;
      if (!std::string_view(name + i, len - i).starts_with("::")) break;
    } else if (c == '{') {
      size_t end = name_skip_group(name, len, i, '{', '}');
      std::memcpy(out + o, name + i, end - i);
      o += end - i;
      i = end;
    } else if (c == ' ' && i + 1 < len && (name[i + 1] == '<' || name[i + 1] == '(')) {
      ++i;  // "operator<< <char>": the blank goes with the arguments
    } else {
      // A blank parts a return type from the name that follows it.
      if (c == ' ') word = o + 1;
      out[o++] = c;
      ++i;
    }
  }
  if (!function || word == 0) return o;
  std::memmove(out, out + word, o - word);
  return o - word;
}

bool names_begin(shown_names *names, const call_graph *graph, bool shorten) {
  *names = shown_names{graph, nullptr, nullptr};
  if (!shorten) return true;
  size_t n = static_cast<size_t>(graph->cg_nsyms);
  names->views = static_cast<std::string_view *>(mem_alloc(n * sizeof(std::string_view) + 1));
  if (names->views != nullptr)
    names->text = static_cast<char *>(mem_alloc(graph->cg_names_len + 1));
  if (names->text == nullptr) {
    names_end(names);
    return false;
  }
  char *at = names->text;
  for (size_t i = 0; i < n; ++i) {
    const symbol &sym = graph->cg_syms[i];
    const char *name = sym_name(graph, sym);
    size_t len = sym.s_namelen;
    size_t short_len = name_shorten(name, len, at);
    if (short_len == len && std::memcmp(at, name, len) == 0) {
      names->views[i] = {name, len};
    } else {
      names->views[i] = {at, short_len};
      at += short_len;
    }
  }
  return true;
}

void names_end(shown_names *names) {
  mem_free(names->views);
  mem_free(names->text);
  names->views = nullptr;
  names->text = nullptr;
}

bool names_find_short(const call_graph *graph, const char *name, sym_id *found) {
  *found = SYM_NONE;
  size_t want = std::strlen(name);
  uint32_t longest = 0;
  for (int64_t i = 0; i < graph->cg_nsyms; ++i) {
    if (graph->cg_syms[i].s_namelen > longest) longest = graph->cg_syms[i].s_namelen;
  }
  char *buf = static_cast<char *>(mem_alloc(longest + 1));
  if (buf == nullptr) return false;
  for (int64_t i = 0; i < graph->cg_nsyms && *found == SYM_NONE; ++i) {
    const symbol &sym = graph->cg_syms[i];
    if (!sym.s_func || sym.s_moved || sym.s_namelen < want) continue;
    size_t len = name_shorten(sym_name(graph, sym), sym.s_namelen, buf);
    if (len == want && std::memcmp(buf, name, want) == 0) *found = static_cast<sym_id>(i);
  }
  mem_free(buf);
  return true;
}
