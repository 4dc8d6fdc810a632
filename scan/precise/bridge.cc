// The graph operations of a reading that decides as it goes (NASM's), and
// the look-ups of data labels that both readings make.
#include <cstring>

#include "scan/precise/names.h"
#include "scan/precise/nasm_ops.h"
#include "scan/precise/reader.h"

sym_result precise_graph_data(precise_file *pf, const char *text, size_t len) {
  bool plain = precise_plain_name(text, len);
  if (plain && pf->local_data) {
    sym_id own = precise_own_data(pf, text, len);
    if (own != SYM_NONE) return sym_result::found(own);
  }
  // An empty graph knows no data.
  if (pf->graph->cg_index == nullptr) return sym_result::none(sym_status::not_found);
  if (plain) return sym_lookup_data(pf->graph, text, len);
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : precise_canon_of(pf, id);
  if (canon == PRECISE_NONE) return sym_result::none(sym_status::nomem);
  const precise_name &n = pf->names[canon];
  if (n.flags & PN_LOCAL_DATA) return sym_result::found(n.sym);
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

sym_id precise_define_own_data(precise_file *pf, uint32_t id, int64_t line) {
  precise_name &n = pf->names[id];
  if (n.flags & PN_LOCAL_DATA) return n.sym;  // defined twice: the assembler refuses it
  sym_result made = sym_add_local(pf->graph, false, n.text, pf->file, line);
  if (!made.ok()) return SYM_NONE;
  n.flags |= PN_LOCAL_DATA;
  n.sym = made.id;
  pf->local_data = true;
  precise_set_data_bit(pf, n.hash);
  pf->data_era++;
  return made.id;
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
  if (data.ok() && graph_sym(pf->graph, data.id).s_local) {
    return precise_status(pf, scan_charge(pf->graph, owner, data.id), line);
  }
  uint32_t id = precise_intern(pf, text, len);
  uint32_t canon = id == PRECISE_NONE ? PRECISE_NONE : precise_canon_of(pf, id);
  if (canon == PRECISE_NONE) return precise_nomem(pf, line);
  // Shared data is reached through a name that the file declares (global,
  // extern, common); an undeclared name may still be a label of the file's
  // own further on, which the end of the file finds first.
  if (data.ok() && (pf->names[canon].flags & PN_GLOBAL)) {
    return precise_status(pf, scan_charge(pf->graph, owner, data.id), line);
  }
  // Data that a later line or file defines: the end of the run decides.
  if (!precise_defer(pf, owner, canon)) return precise_nomem(pf, line);
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
