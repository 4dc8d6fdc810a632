// The log of what a GNU file does with its names, and its replay at the end
// of the file: labels are sorted into functions and data, and each call,
// jump and reference is charged to the function that owns it.
#include <cstring>

#include "memory/memory.h"
#include "scan/precise/names.h"

namespace {
// The graph's first record of a name as users know it, looked up once.
sym_id first_record(precise_file *pf, uint32_t canon) {
  precise_name &n = pf->names[canon];
  if (n.sym == SYM_NONE) n.sym = sym_lookup(pf->graph, n.text).id;
  return n.sym;
}

// Defines the function that the label `id` names, once per file; returns
// the id of its name as users know it, or PRECISE_NONE after a failure (noted).
// A function that the file does not make global is its own record, which
// only this file's calls reach.
uint32_t define_function(precise_file *pf, uint32_t id, int64_t line) {
  uint32_t canon = precise_canon_of(pf, id);
  if (canon == PRECISE_NONE) return precise_nomem(pf, line), PRECISE_NONE;
  precise_name &n = pf->names[canon];
  if (!(n.flags & PN_DEFINED)) {
    bool local = n.flags & PN_LOCAL_FUNC;
    int64_t at = n.line >= 0 ? n.line : line;
    sym_result made = local ? sym_add_local(pf->graph, true, n.text, pf->file, at)
                            : sym_add(pf->graph, true, n.text, pf->file, at);
    if (!made.ok()) return precise_nomem(pf, line), PRECISE_NONE;
    n.flags |= PN_DEFINED;
    pf->functions = 1;
    // A declaration may have been the first record of a global: look again.
    n.sym = local ? made.id : SYM_NONE;
  }
  return canon;
}

// Defines the data label that `canon` names, once per file: its own record
// unless the file makes it global. 1, or 0 after a failure (noted).
int define_data(precise_file *pf, uint32_t canon, int64_t line) {
  precise_name &n = pf->names[canon];
  if (n.flags & PN_DEFINED) return 1;
  if (n.line >= 0) line = n.line;
  sym_id made = n.flags & PN_GLOBAL ? precise_define_data(pf, n.text, line)
                                    : sym_add_local(pf->graph, false, n.text, pf->file, line).id;
  if (made == SYM_NONE) return precise_nomem(pf, line);
  n.flags |= PN_DEFINED;
  n.sym = n.flags & PN_GLOBAL ? SYM_NONE : made;
  return 1;
}

// Functions among the labels, and the line each one is defined on: that of
// its own label, else that of its first clone. A name as users know it is
// global when any of its spellings is made so.
int decide_functions(precise_file *pf, bool need_announce) {
  for (uint32_t id = 0; id < pf->count; ++id) {
    uint32_t flags = pf->names[id].flags;
    if ((flags & PN_CODE_LABEL) && (!need_announce || (flags & (PN_ANNOUNCED | PN_CALLED)))) {
      pf->names[id].flags |= PN_FUNC;
    }
  }
  uint32_t count = pf->count;  // canonical names added below need no visit
  for (uint32_t id = 0; id < count; ++id) {
    uint32_t flags = pf->names[id].flags;
    if (!(flags & (PN_FUNC | PN_GLOBAL | PN_DATA))) continue;
    uint32_t canon = precise_canon_of(pf, id);
    if (canon == PRECISE_NONE) return 0;
    precise_name &c = pf->names[canon];
    // (An alias made global makes no global of what it names.)
    if (!(flags & PN_ALIAS)) c.flags |= flags & (PN_GLOBAL | PN_DATA);
    if (!(flags & PN_FUNC)) {
      if (c.line < 0) c.line = pf->names[id].line;  // data: the line of its label
      continue;
    }
    if (canon != id && !(c.flags & PN_FUNC) && (c.line < 0 || pf->names[id].line < c.line)) {
      c.line = pf->names[id].line;
    }
  }
  for (uint32_t id = 0; id < count; ++id) {
    if (!(pf->names[id].flags & PN_FUNC)) continue;
    precise_name &c = pf->names[pf->names[id].canon];
    if (!(c.flags & PN_GLOBAL)) c.flags |= PN_LOCAL_FUNC;
  }
  return 1;
}

int charge(precise_file *pf, uint32_t owner, sym_id target, int64_t line) {
  sym_id caller = first_record(pf, owner);
  return precise_status(pf, scan_charge(pf->graph, caller, target), line);
}

// A reference from `owner` to the name `canon` in an operand: to a data
// label of this file (made now if it comes later), to global data of an
// earlier file, or, when neither, perhaps to global data of a later one.
int replay_ref(precise_file *pf, uint32_t owner, uint32_t canon, int64_t line) {
  uint32_t flags = pf->names[canon].flags;
  if (flags & PN_DATA) {
    if (!define_data(pf, canon, line)) return 0;
    sym_id sym = first_record(pf, canon);
    return sym == SYM_NONE || graph_sym(pf->graph, sym).s_func ? 1 : charge(pf, owner, sym, line);
  }
  // Another label of this file, a function say, is no data of another.
  if (flags & (PN_LABEL | PN_FUNC | PN_LOCAL_FUNC)) return 1;
  const precise_name &n = pf->names[canon];
  sym_result data = sym_lookup_data(pf->graph, n.text, n.len);
  if (data.status == sym_status::nomem) return precise_nomem(pf, line);
  if (data.ok()) return charge(pf, owner, data.id, line);
  return precise_defer(pf, first_record(pf, owner), canon) || precise_nomem(pf, line);
}

// Replays one event with the function that owns it.
int replay(precise_file *pf, const precise_event &ev, uint32_t *owner, uint8_t *kind) {
  switch (ev.kind) {
    case PE_SECTION:
      if (pf->section != PRECISE_NONE) pf->names[pf->section].owner = *owner;
      pf->section = ev.id;
      *kind = static_cast<uint8_t>(ev.arg);
      *owner = ev.id == PRECISE_NONE ? PRECISE_NONE : pf->names[ev.id].owner;
      return 1;
    case PE_LABEL:
      if (*kind == SEC_CODE && (pf->names[ev.id].flags & PN_FUNC)) {
        *owner = define_function(pf, ev.id, ev.line);
        return *owner != PRECISE_NONE;
      }
      if (*kind == SEC_DATA) {
        uint32_t canon = precise_canon_of(pf, ev.id);
        if (canon == PRECISE_NONE) return precise_nomem(pf, ev.line);
        return define_data(pf, canon, ev.line);
      }
      return 1;
    default:
      break;
  }
  if (*owner == PRECISE_NONE) return 1;  // no function owns it
  uint32_t flags = pf->names[ev.id].flags;
  uint32_t canon = precise_canon_of(pf, ev.id);
  if (canon == PRECISE_NONE) return precise_nomem(pf, ev.line);
  if (ev.kind == PE_REF) return replay_ref(pf, *owner, canon, ev.line);
  // A call of a weak alias is one of its own name: a strong definition in
  // another file wins, and failing one the end of the run sends it on to
  // what the alias stands for.
  if ((pf->names[ev.id].flags & (PN_ALIAS | PN_WEAK)) == (PN_ALIAS | PN_WEAK)) {
    std::string_view own = precise_own_name(pf, ev.id);
    if (own.data() == nullptr) return precise_nomem(pf, ev.line);
    sym_result found = sym_find_or_declare(pf->graph, own.data(), own.size(), pf->file);
    return found.ok() ? charge(pf, *owner, found.id, ev.line) : precise_nomem(pf, ev.line);
  }
  // A jump is a tail call when it leaves the function for another one, or
  // for a name that this file does not define.
  if (ev.kind == PE_JUMP && (canon == *owner || ((flags & PN_LABEL) && !(flags & PN_FUNC)))) {
    return 1;
  }
  // This file's own function, perhaps defined further on.
  if ((pf->names[canon].flags & PN_LOCAL_FUNC) &&
      define_function(pf, canon, ev.line) == PRECISE_NONE) {
    return 0;
  }
  precise_name &n = pf->names[canon];
  if (n.sym == SYM_NONE) {
    sym_result found = sym_find_or_declare(pf->graph, n.text, n.len, pf->file);
    if (!found.ok()) return precise_nomem(pf, ev.line);
    n.sym = found.id;
  }
  return charge(pf, *owner, n.sym, ev.line);
}

}  // namespace

int precise_note(precise_file *pf, precise_event_kind kind, uint32_t id, int64_t line,
                 uint32_t arg) {
  if (pf->nevents == pf->evcap) {
    auto *events = static_cast<precise_event *>(
        mem_realloc(pf->events, 2 * pf->evcap * sizeof(precise_event)));
    if (events == nullptr) return 0;
    pf->events = events;
    pf->evcap *= 2;
  }
  pf->events[pf->nevents++] = precise_event{kind, arg, id, line};
  return 1;
}

void precise_enter(precise_file *pf, uint32_t id, precise_section_kind kind) {
  if (id != PRECISE_NONE) {
    precise_name &n = pf->names[id];
    if (kind != SEC_UNKNOWN) n.sec_kind = kind;
    // A section that the file never said more of holds data.
    if (n.sec_kind == SEC_UNKNOWN) n.sec_kind = SEC_DATA;
    kind = static_cast<precise_section_kind>(n.sec_kind);
  }
  pf->section = id;
  pf->sec_kind = kind;
}

int precise_section(precise_file *pf, uint32_t id, precise_section_kind kind, int64_t line) {
  precise_enter(pf, id, kind);
  return precise_note(pf, PE_SECTION, id, line, pf->sec_kind);
}

int precise_label(precise_file *pf, uint32_t id, int64_t line) {
  precise_name &n = pf->names[id];
  n.flags |= PN_LABEL;
  if (pf->sec_kind == SEC_CODE) {
    n.flags |= PN_CODE_LABEL;
    if (n.line < 0) n.line = line;
  } else if (pf->sec_kind == SEC_DATA) {
    n.flags |= PN_DATA;
    if (n.line < 0) n.line = line;  // a reference before it is charged to it
    precise_set_data_bit(pf, n.hash);
  } else {
    return 1;
  }
  return precise_note(pf, PE_LABEL, id, line);
}

int precise_operand(precise_file *pf, const char *text, size_t len, int64_t line) {
  // Data of this file may come after the code, and that of another file
  // may be read later: the end of the file and of the run decide.
  uint32_t id = precise_intern(pf, text, len);
  return id != PRECISE_NONE && precise_note(pf, PE_REF, id, line);
}

int precise_finish(precise_file *pf, bool need_announce) {
  if (!decide_functions(pf, need_announce)) {
    int64_t line = pf->nevents ? pf->events[pf->nevents - 1].line : 1;
    return precise_nomem(pf, line);
  }
  pf->section = PRECISE_NONE;
  uint32_t owner = PRECISE_NONE;
  uint8_t kind = SEC_CODE;
  for (size_t i = 0; i < pf->nevents; ++i) {
    if (!replay(pf, pf->events[i], &owner, &kind)) return 0;
  }
  // Other names made global reach other files, read before or after.
  uint32_t count = pf->count;  // the names as users know them come after
  for (uint32_t id = 0; id < count; ++id) {
    precise_name &n = pf->names[id];
    if ((n.flags & (PN_ALIAS | PN_GLOBAL)) != (PN_ALIAS | PN_GLOBAL)) continue;
    if (!precise_global_alias(pf, id, n.canon)) {
      int64_t line = pf->nevents ? pf->events[pf->nevents - 1].line : 1;
      return precise_nomem(pf, line);
    }
  }
  return 1;
}
