// Mach-O section names and PE/COFF symbol blocks.
#include "scan/precise/objfmt.h"

#include <cstring>

#include "memory/memory.h"

int gp_macho_section(gnu_reader *g, int c, uint32_t *id, precise_section_kind *kind) {
  precise_lexer *lx = &g->lx;
  g->set.macho = true;
  if (!gp_read(g, c)) return -2;
  const precise_name &segment = lx->pf.names[*id];
  size_t len = segment.len + 1 + lx->word.w_len;
  char *name = static_cast<char *>(mem_alloc(len));
  if (name == nullptr) return -2;
  std::memcpy(name, segment.text, segment.len);
  name[segment.len] = ',';
  std::memcpy(name + segment.len + 1, lx->word.w_text, lx->word.w_len);
  *kind = std::strcmp(lx->word.w_text, "__text") == 0 ? SEC_CODE : SEC_DATA;
  *id = precise_intern(&lx->pf, name, len);
  mem_free(name);
  if (*id == PRECISE_NONE) return -2;
  // The type and the attributes: "regular,pure_instructions".
  for (c = gp_next(g); !gp_end(c); c = gp_next(g)) {
    if (!gp_name_start(c)) continue;
    if (!gp_read(g, c)) return -2;
    if (std::strcmp(lx->word.w_text, "pure_instructions") == 0) *kind = SEC_CODE;
  }
  return c;
}

int gp_coff_directive(gnu_reader *g, std::string_view word) {
  precise_lexer *lx = &g->lx;
  if (word == ".endef") {
    g->def = PRECISE_NONE;
  } else if (word == ".def") {
    g->set.coff = true;
    int c = gp_next(g);
    if (gp_name_start(c)) {
      if (!gp_read(g, c)) return 0;
      g->def = precise_intern(&lx->pf, lx->word.w_text, lx->word.w_len);
      if (g->def == PRECISE_NONE) return 0;
      c = gp_next(g);
    }
    gp_skip(g, c);
    return 1;
  } else if (word != ".scl") {
    return -1;
  }
  gp_skip(g, gp_next(g));
  return 1;
}

void gp_coff_type(gnu_reader *g, int c) {
  // The type's derived part (bits 4 and 5) is 2 for a function: 32 is a
  // function returning nothing in particular, the form compilers write.
  long type = 0;
  while (c >= '0' && c <= '9' && type < 65536) {
    type = type * 10 + (c - '0');
    c = src_get(g->lx.src);
  }
  if (c != SRC_EOF) src_unget(g->lx.src);
  if (g->def != PRECISE_NONE && (type >> 4 & 3) == 2) {
    g->lx.pf.names[g->def].flags |= PN_ANNOUNCED;
  }
  gp_skip(g, gp_next(g));
}
