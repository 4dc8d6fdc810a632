// The graph operations of a reading that decides as it goes (NASM's), and
// the look-ups of data labels that both readings make.
#include <cstring>

#include "scan/precise/names.h"
#include "scan/precise/nasm_ops.h"
#include "scan/precise/reader.h"

sym_result precise_graph_data(precise_file *pf, const char *text, size_t len) {
  // An empty graph knows no data.
  if (pf->graph->cg_index == nullptr) return sym_result::none(sym_status::not_found);
  if (precise_plain_name(text, len)) return sym_lookup_data(pf->graph, text, len);
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : precise_canon_of(pf, id);
  if (canon == PRECISE_NONE) return sym_result::none(sym_status::nomem);
  const precise_name &n = pf->names[canon];
  return sym_lookup_data(pf->graph, n.text, n.len);
}

sym_id precise_define_now(precise_file *pf, const char *name, int64_t line) {
  call_graph *graph = pf->graph;
  sym_id first = sym_lookup(graph, name).id;
  // Once per file: a clone (f.cold) after its function, or before it.
  if (first != SYM_NONE) {
    const symbol &sym = graph_sym(graph, first);
    if (sym.s_line != -1 && std::strcmp(sym.s_file, pf->file) == 0) return first;
  }
  sym_result made = sym_add(graph, true, name, pf->file, line);
  if (!made.ok()) return SYM_NONE;
  pf->functions = 1;
  return first != SYM_NONE ? first : made.id;
}

sym_id precise_define_data(precise_file *pf, const char *name, int64_t line) {
  pf->data_era++;
  return sym_add(pf->graph, false, name, pf->file, line).id;
}

int precise_reference_lookup(precise_file *pf, sym_id owner, const char *text, size_t len,
                             int64_t line, precise_absent *absent, precise_deferred *deferred) {
  // A register or size word in an operand is that, never a name, whatever
  // data the run defines: a label spelled so is written with "$" before it.
  scan_word word{const_cast<char *>(text), len, len + 1};
  if (precise_keyword(word, KW_SIZE) || nasm_register({text, len})) {
    if (absent != nullptr && precise_plain_name(text, len)) {
      *absent =
          precise_absent{precise_absent_key(text, len), static_cast<uint32_t>(len), UINT32_MAX};
    }
    return 1;
  }
  return precise_reference_name(pf, owner, text, len, line, deferred);
}

int precise_reference_name(precise_file *pf, sym_id owner, const char *text, size_t len,
                           int64_t line, precise_deferred *deferred) {
  sym_result data = precise_graph_data(pf, text, len);
  if (data.status == sym_status::nomem) return precise_nomem(pf, line);
  if (data.ok()) {
    return precise_status(pf, scan_charge(pf->graph, owner, data.id), line);
  }
  // Data that a later line or file defines: the end of the run decides.
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : precise_canon_of(pf, id);
  if (canon == PRECISE_NONE || !precise_defer(pf, owner, canon)) return precise_nomem(pf, line);
  // Until a data label comes, another reference of this function to the
  // name would find what this one found and defer nothing new.
  if (deferred != nullptr) {
    *deferred = precise_deferred{precise_absent_key(text, len), static_cast<uint32_t>(len),
                                 pf->data_era, canon};
  }
  return 1;
}

int precise_call(precise_file *pf, sym_id owner, std::string_view name, int64_t line) {
  sym_result target = sym_find_or_declare(pf->graph, name.data(), name.size(), pf->file);
  if (!target.ok()) return precise_nomem(pf, line);
  return precise_status(pf, scan_charge(pf->graph, owner, target.id), line);
}

int precise_nomem(precise_file *pf, int64_t line) {
  return precise_status(pf, scan_status::nomem, line);
}

int precise_status(precise_file *pf, scan_status status, int64_t line) {
  if (status == scan_status::done) return 1;
  pf->status = status;
  pf->fail_line = line;
  return 0;
}
