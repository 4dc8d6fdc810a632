#include "scan/precise/demangle.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "memory/memory.h"

// The C++ runtime's demangler in the form that hands its text to `put`,
// piece by piece, as it goes, and returns 0 when the name demangled. Unlike
// __cxa_demangle it builds no string, so it can be stopped once the text is
// too long, before it has spent time or memory on the rest.
extern "C" int __gcclibcxx_demangle_callback(const char *mangled,
                                             void (*put)(const char *, size_t, void *),
                                             void *opaque);

namespace {
// Where the text goes: `room` bytes at `text`, `len` of them used so far.
struct demangle_sink {
  char *text;
  size_t len;
  size_t room;
  std::jmp_buf stop;
};

// Takes a piece of text, or stops the demangler when the piece would go
// past the room.
void demangle_put(const char *piece, size_t n, void *opaque) {
  auto *sink = static_cast<demangle_sink *>(opaque);
  if (n > sink->room - sink->len) std::longjmp(sink->stop, 1);
  std::memcpy(sink->text + sink->len, piece, n);
  sink->len += n;
}

// True when `mangled` (NUL-terminated) demangles within the sink's room.
//
// Jumping out of the demangler is sound: between this frame and the callback
// there is only the runtime's demangler, C code that keeps all its state in
// arrays on the stack, takes nothing from the heap on this path, holds no
// lock and has no destructors to run; the jump gives that stack back and
// leaves nothing behind. This frame reads nothing after the jump but the
// constant it returns.
bool demangle_within(const char *mangled, demangle_sink *sink) {
  if (setjmp(sink->stop) != 0) return false;
  return __gcclibcxx_demangle_callback(mangled, demangle_put, sink) == 0;
}
}  // namespace

size_t demangle_budget(size_t len) {
  return std::max<size_t>(4096, 16 * len);
}

char *demangle_name(const char *mangled, size_t len, size_t *text_len, bool *nomem) {
  // One block: the text first, then the name alone and NUL-terminated, as
  // the demangler wants it.
  size_t room = demangle_budget(len);
  char *block = static_cast<char *>(mem_alloc(room + 1 + len + 1));
  if (block == nullptr) {
    *nomem = true;
    return nullptr;
  }
  char *bare = block + room + 1;
  std::memcpy(bare, mangled, len);
  bare[len] = '\0';
  demangle_sink sink{block, 0, room, {}};
  if (!demangle_within(bare, &sink)) {
    mem_free(block);
    return nullptr;
  }
  block[sink.len] = '\0';
  *text_len = sink.len;
  return block;
}
