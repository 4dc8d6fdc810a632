// What -p settles only when every file of a run has been read: a name in an
// operand that no data label of its file or of an earlier one explains may
// still be a global data label of a later file, as the linker would see.
// Each such reference is kept as its owner and the place of its name, each
// name once per file; function bodies are not kept.
#include <cstring>

#include "memory/memory.h"
#include "scan/charge.h"
#include "scan/precise/names.h"

namespace {
struct pending_ref {
  sym_id owner;
  uint32_t len;
  uint64_t at;  // in pending.text
};

// The references of the run that is being read; the graph says which run.
struct precise_pending {
  const call_graph *graph;
  pending_ref *refs;
  size_t nrefs;
  size_t refs_cap;
  char *text;
  uint64_t used;
  uint64_t text_cap;
};

precise_pending pending;

void pending_release() {
  mem_free(pending.refs);
  mem_free(pending.text);
  pending = precise_pending{};
}

}  // namespace

int precise_defer(precise_file *pf, sym_id owner, uint32_t canon) {
  // A run of another graph (tests read many) left its references behind.
  if (pending.graph != pf->graph) {
    pending_release();
    pending.graph = pf->graph;
  }
  precise_name &n = pf->names[canon];
  if (!(n.flags & PN_DEFERRED)) {
    if (!mem_reserve(&pending.text, &pending.text_cap, pending.used + n.len + 1, UINT64_MAX))
      return 0;
    std::memcpy(pending.text + pending.used, n.text, n.len + 1);
    n.deferred = pending.used;
    n.flags |= PN_DEFERRED;
    pending.used += n.len + 1;
  }
  if (n.deferred_by == owner) return 1;  // a function's code names a few names often
  if (!mem_reserve(&pending.refs, &pending.refs_cap, uint64_t{pending.nrefs} + 1, UINT64_MAX))
    return 0;
  pending.refs[pending.nrefs++] = pending_ref{owner, n.len, n.deferred};
  n.deferred_by = owner;
  return 1;
}

scan_status scan_precise_end(call_graph *graph, bool failed) {
  scan_status status = scan_status::done;
  if (pending.graph == graph && !failed) {
    for (size_t i = 0; i < pending.nrefs && status == scan_status::done; ++i) {
      const pending_ref &r = pending.refs[i];
      sym_result data = sym_lookup_data(graph, pending.text + r.at, r.len);
      if (data.ok()) status = scan_charge(graph, r.owner, data.id);
    }
  }
  pending_release();
  return status;
}
