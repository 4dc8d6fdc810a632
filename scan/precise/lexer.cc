// What both precise readers share to cut characters: names, keywords, the
// rest of a line, and the life of a reader.
#include <cstring>

#include "memory/memory.h"
#include "scan/isa/x86_64.h"
#include "scan/lex/keys.h"
#include "scan/precise/reader.h"
#include "scan/syntax/gnu.h"
#include "scan/syntax/nasm.h"

int precise_read_name_rest(precise_lexer *lx, int first, unsigned chars, const unsigned char *p) {
  scan_source *src = lx->src;
  scan_word *word = &lx->word;
  const unsigned char *start = src->buf + src->pos;
  const unsigned char *stop = simd_run_end(lx->chars->fixed_kernel, p, syntax_classes.cls,
                                           static_cast<unsigned char>(chars));
  auto size = static_cast<size_t>(stop - start);
  src->pos += size;
  if (src_drained(src) || word->w_cap <= size + 1 + SRC_PAD) {
    word_result r =
        read_word_rest(src, lx->chars, first, {reinterpret_cast<const char *>(start), size}, word,
                       static_cast<unsigned char>(chars));
    if (r == WORD_NOMEM) return 0;
    if (r == WORD_EOF) {
      word->w_text[word->w_len] = '\0';  // room was made for it
      lx->eof = true;
    }
    return 1;
  }
  // The run ends before the end of the data, and the word buffer has room
  // for 16-byte copies: they stay inside the padded buffers.
  char *out = word->w_text;
  *out++ = static_cast<char>(first);
  for (size_t i = 0; i < size; i += 16)
    std::memcpy(out + i, start + i, 16);
  out[size] = '\0';
  word->w_len = size + 1;
  return 1;
}

namespace {
using keyword_table = lex_keywords<uint32_t, 24, 512, true>;

// Adds what a dialect's syntax spells for each kind of directive.
constexpr void add_directives(keyword_table *t, const syntax_desc &s) {
  const syntax_directives &d = s.precise;
  t->add(d.data, KW_DATA);
  t->add(d.sections, KW_SECTION);
  t->add(d.strucs, KW_STRUC);
  t->add(d.endstrucs, KW_ENDSTRUC);
  t->add(d.others, KW_DIRECTIVE);
  t->add(d.cglobal, KW_CGLOBAL);
  t->add(d.exec, KW_EXEC);
  t->add(d.noexec, KW_NOEXEC);
  t->add(d.func_types, KW_FUNC_TYPE);
  t->add(d.macros, KW_MACRO);
  t->add(d.endmacros, KW_ENDMACRO);
  t->add(d.push, KW_PUSHSECTION);
  t->add(d.pop, KW_POPSECTION);
  t->add(d.previous, KW_PREVIOUS);
  t->add(d.announce, KW_ANNOUNCE);
  t->add(d.type, KW_TYPE);
  t->add(d.intel, KW_INTEL);
  t->add(d.att, KW_ATT);
}

// One table for both readers: each asks only for the kinds its dialect has.
// NASM's global, extern and common name what other files share; GNU's
// global spellings announce, and its section words are the section directive.
constexpr keyword_table make_keyword_tables() {
  keyword_table t{};
  precise_add_isa_words(&t, x86_64_isa);
  t.add(x86_64_isa.size_words, KW_SIZE);
  add_directives(&t, nasm_syntax);
  t.add(nasm_syntax.global_words, KW_GLOBAL);
  t.add(nasm_syntax.extern_words, KW_GLOBAL);
  t.add("common", KW_GLOBAL);
  add_directives(&t, gnu_syntax);
  t.add(gnu_syntax.code_sections, KW_TEXT);
  t.add(gnu_syntax.data_sections, KW_DATASEC);
  t.add(gnu_syntax.section_words, KW_SECTION_DIR);
  t.add(gnu_syntax.global_words, KW_ANNOUNCE);
  return t;
}

constexpr keyword_table keywords = make_keyword_tables();

}  // namespace

uint32_t precise_keyword(const scan_word &word, uint32_t kinds) {
  // The word buffer never holds fewer than 32 bytes; a word of one byte has
  // its NUL second.
  return keywords.find(word.w_text, word.w_len, kinds);
}

uint32_t precise_keyword_at(const unsigned char *text, size_t len, uint32_t kinds) {
  return keywords.find(reinterpret_cast<const char *>(text), len, kinds);
}

int precise_skip_line(precise_lexer *lx) {
  src_skip_to(lx->src, '\n');
  int c = src_get(lx->src);
  if (c == '\n') lx->line++;
  return c;
}

scan_result precise_result(const precise_lexer *lx, bool ok) {
  if (ok) {
    scan_result r{scan_status::done, lx->line, lx->warnings};
    if (lx->pf.functions == 0 && !(r.warnings.seen & 1u << int(scan_warning::not_assembly))) {
      scan_warn(&r.warnings, scan_warning::no_function);
    }
    return r;
  }
  return scan_result{lx->pf.status, lx->pf.fail_line, lx->warnings};
}

namespace {
// What the first bytes of a file show when it is no assembly source: LLVM
// IR (what -flto -S and -emit-llvm write), bitcode, an object file or any
// other binary; an empty view when nothing. Reads up to 512 bytes ahead
// into the buffer without consuming them.
std::string_view precise_sniff(scan_source *src) {
  while (!src->at_end && src->len < 512 && src->len < src->cap && src->pos == 0) {
    if (src_read_keeping(src, 0) == 0) break;
  }
  std::string_view head(reinterpret_cast<const char *>(src->buf + src->pos), src->len - src->pos);
  if (head.find('\0') != std::string_view::npos) return "binary bytes";
  for (std::string_view ir : {"; ModuleID", "source_filename = ", "target datalayout = ",
                              "target triple = ", "define "}) {
    size_t at = head.find(ir);
    if (at != std::string_view::npos && (at == 0 || head[at - 1] == '\n')) return "LLVM IR";
  }
  return {};
}
}  // namespace

int precise_lexer_begin(precise_lexer *lx, const lex_chars *chars, scan_run *run, scan_source *src,
                        const char *file) {
  lx->chars = chars;
  lx->src = src;
  lx->word = scan_word{nullptr, 0, 0};
  lx->line = 1;
  lx->eof = false;
  lx->warnings = scan_warnings{};
  std::string_view what = precise_sniff(src);
  if (!what.empty()) scan_warn(&lx->warnings, scan_warning::not_assembly, what);
  return precise_begin(&lx->pf, run, file);
}

void precise_lexer_end(precise_lexer *lx) {
  precise_release(&lx->pf);
  mem_free(lx->word.w_text);
  lx->word = scan_word{nullptr, 0, 0};
}
