#include "scan/charge.h"

scan_status scan_charge(call_graph *graph, sym_id caller, sym_id target) {
  switch (record_call(graph, caller, target)) {
    case record_result::done:
      return scan_status::done;
    case record_result::nomem_cell:
      return scan_status::nomem;
    case record_result::nomem_first_caller:
      return scan_status::nomem_first_caller;
    case record_result::nomem:
      break;
  }
  return scan_status::nomem_later_caller;
}
