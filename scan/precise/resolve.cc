// What -p settles only when every file of a run has been read: a name in an
// operand that no data label of its file or of an earlier one explains may
// still be a global data label of a later file, as the linker would see.
// Each such reference is kept in the run as its owner and the place of its
// name, each name once per file; function bodies are not kept.
#include <cstring>

#include "memory/memory.h"
#include "scan/charge.h"
#include "scan/precise/names.h"

namespace {
void run_release(scan_run *run) {
  mem_free(run->refs);
  mem_free(run->names);
  call_graph *graph = run->graph;
  *run = scan_run{};
  run->graph = graph;
}
}  // namespace

int precise_defer(precise_file *pf, sym_id owner, uint32_t canon) {
  scan_run *run = pf->run;
  precise_name &n = pf->names[canon];
  if (!(n.flags & PN_DEFERRED)) {
    if (!mem_reserve(&run->names, &run->names_cap, run->names_used + n.len + 1, UINT64_MAX))
      return 0;
    std::memcpy(run->names + run->names_used, n.text, n.len + 1);
    n.deferred = run->names_used;
    n.flags |= PN_DEFERRED;
    run->names_used += n.len + 1;
  }
  if (n.deferred_by == owner) return 1;  // a function's code names a few names often
  if (!mem_reserve(&run->refs, &run->refs_cap, uint64_t{run->nrefs} + 1, UINT64_MAX)) return 0;
  run->refs[run->nrefs++] = scan_run_ref{owner, n.len, n.deferred};
  n.deferred_by = owner;
  return 1;
}

void scan_run_begin(scan_run *run, call_graph *graph) {
  *run = scan_run{};
  run->graph = graph;
}

scan_status scan_run_end(scan_run *run) {
  scan_status status = scan_status::done;
  for (size_t i = 0; i < run->nrefs && status == scan_status::done; ++i) {
    const scan_run_ref &r = run->refs[i];
    sym_result data = sym_lookup_data(run->graph, run->names + r.at, r.len);
    if (data.ok()) status = scan_charge(run->graph, r.owner, data.id);
  }
  run_release(run);
  return status;
}
