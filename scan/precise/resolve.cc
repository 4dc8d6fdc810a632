// What -p settles only when every file of a run has been read, as the linker
// would see it: a name in an operand that no data label of its file or of an
// earlier one explains may still be a global data label of a later file, and
// another name that a file makes global (`.globl a` with `.set a, b`) may
// have been called by a file read before it. Each waiting reference is kept
// in the run as its owner and the place of its name, each name once per
// file; function bodies are not kept.
#include <cstring>
#include <string_view>

#include "memory/memory.h"
#include "scan/charge.h"
#include "scan/precise/names.h"

namespace {
void run_release(scan_run *run) {
  mem_free(run->refs);
  mem_free(run->aliases);
  mem_free(run->names);
  call_graph *graph = run->graph;
  *run = scan_run{};
  run->graph = graph;
}

// A copy of `name` among the run's names: its place, or UINT64_MAX when
// memory ran out.
uint64_t run_keep(scan_run *run, std::string_view name) {
  if (!mem_reserve(&run->names, &run->names_cap, run->names_used + name.size() + 1, UINT64_MAX))
    return UINT64_MAX;
  uint64_t at = run->names_used;
  std::memcpy(run->names + at, name.data(), name.size());
  run->names[at + name.size()] = '\0';
  run->names_used += name.size() + 1;
  return at;
}

// The first global alias named `text`, or null.
const scan_run_alias *run_alias(const scan_run *run, const char *text, size_t len) {
  for (size_t i = 0; i < run->naliases; ++i) {
    const scan_run_alias &a = run->aliases[i];
    if (a.name_len == len && std::memcmp(run->names + a.name, text, len) == 0) return &a;
  }
  return nullptr;
}

// The record that the alias `a` stands for, following an alias of an alias
// a few steps; `file` is where a record found nowhere is declared.
sym_result run_alias_target(scan_run *run, const scan_run_alias *a, const char *file) {
  for (int hops = 0;; ++hops) {
    if (a->local != SYM_NONE) return sym_result::found(a->local);
    const char *text = run->names + a->target;
    sym_result t = sym_find_or_declare(run->graph, text, a->target_len, file);
    if (!t.ok() || graph_sym(run->graph, t.id).s_line != -1 || hops == 8) return t;
    const scan_run_alias *next = run_alias(run, text, a->target_len);
    if (next == nullptr) return t;
    a = next;
  }
}

// Calls of a global alias that a file read before the alias's own reached a
// record of the alias's name that no file defines: they go to what the alias
// stands for, listed under that name.
scan_status run_move_aliases(scan_run *run) {
  call_graph *graph = run->graph;
  for (size_t i = 0; i < run->naliases; ++i) {
    const scan_run_alias &a = run->aliases[i];
    sym_result called = sym_lookup(graph, run->names + a.name);
    if (!called.ok()) continue;  // no file called it
    const symbol &sym = graph_sym(graph, called.id);
    // A file that defines the name itself wins, as it does for the linker.
    if (sym.s_line != -1 || sym.s_moved) continue;
    sym_result to = run_alias_target(run, &a, sym.s_file);
    if (!to.ok()) return scan_status::nomem;
    if (to.id != called.id && graph_move_callers(graph, called.id, to.id) != record_result::done)
      return scan_status::nomem;
  }
  return scan_status::done;
}

// The data label that the global alias `text` stands for, if any.
sym_result run_alias_data(scan_run *run, const char *text, size_t len) {
  const scan_run_alias *a = run_alias(run, text, len);
  if (a == nullptr) return sym_result::none(sym_status::not_found);
  if (a->local != SYM_NONE) {
    if (graph_sym(run->graph, a->local).s_func) return sym_result::none(sym_status::not_found);
    return sym_result::found(a->local);
  }
  return sym_lookup_data(run->graph, run->names + a->target, a->target_len);
}

// Everything that waited for the end of the run, settled in the graph.
scan_status run_settle(scan_run *run) {
  scan_status status = run_move_aliases(run);
  for (size_t i = 0; i < run->nrefs && status == scan_status::done; ++i) {
    const scan_run_ref &r = run->refs[i];
    const char *text = run->names + r.at;
    sym_result data = sym_lookup_data(run->graph, text, r.len);
    if (!data.ok() && run->naliases != 0) data = run_alias_data(run, text, r.len);
    if (data.ok()) status = scan_charge(run->graph, r.owner, data.id);
  }
  return status;
}
}  // namespace

int precise_defer(precise_file *pf, sym_id owner, uint32_t canon) {
  scan_run *run = pf->run;
  precise_name &n = pf->names[canon];
  if (!(n.flags & PN_DEFERRED)) {
    uint64_t at = run_keep(run, {n.text, n.len});
    if (at == UINT64_MAX) return 0;
    n.deferred = at;
    n.flags |= PN_DEFERRED;
  }
  if (n.deferred_by == owner) return 1;  // a function's code names a few names often
  if (!mem_reserve(&run->refs, &run->refs_cap, uint64_t{run->nrefs} + 1, UINT64_MAX)) return 0;
  run->refs[run->nrefs++] = scan_run_ref{owner, n.len, n.deferred};
  n.deferred_by = owner;
  return 1;
}

int precise_global_alias(precise_file *pf, uint32_t id, uint32_t canon) {
  scan_run *run = pf->run;
  std::string_view name = precise_own_name(pf, id);
  if (name.data() == nullptr) return 0;
  const precise_name &target = pf->names[canon];
  if (name == std::string_view(target.text, target.len)) return 1;  // one name after all
  // A static of the file is its own record, which no name finds.
  bool own = (target.flags & PN_DEFINED) && !(target.flags & PN_GLOBAL);
  if (!mem_reserve(&run->aliases, &run->aliases_cap, uint64_t{run->naliases} + 1, UINT64_MAX))
    return 0;
  uint64_t at = run_keep(run, name);
  uint64_t to = at == UINT64_MAX ? at : run_keep(run, {target.text, target.len});
  if (to == UINT64_MAX) return 0;
  run->aliases[run->naliases++] = scan_run_alias{at, to, static_cast<uint32_t>(name.size()),
                                                 target.len, own ? target.sym : SYM_NONE};
  return 1;
}

void scan_run_begin(scan_run *run, call_graph *graph) {
  *run = scan_run{};
  run->graph = graph;
}

int precise_settle_file(precise_file *pf, int64_t line) {
  scan_run *run = pf->run;
  if (!pf->local_data) return 1;
  size_t kept = pf->first_ref;
  for (size_t i = pf->first_ref; i < run->nrefs; ++i) {
    const scan_run_ref r = run->refs[i];
    sym_id own = precise_own_data(pf, run->names + r.at, r.len);
    if (own == SYM_NONE) {
      run->refs[kept++] = r;
    } else if (!precise_status(pf, scan_charge(pf->graph, r.owner, own), line)) {
      return 0;
    }
  }
  run->nrefs = kept;
  return 1;
}

scan_status scan_run_end(scan_run *run, bool settle) {
  scan_status status = settle ? run_settle(run) : scan_status::done;
  run_release(run);
  return status;
}
