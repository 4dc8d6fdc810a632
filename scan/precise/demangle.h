// Demangling C++ names within a budget of text. A mangled name of a few
// hundred bytes can stand for gigabytes of text (each reference to an
// earlier template argument repeats all of it), so a name is demangled only
// when its readable form stays within a small multiple of its own length;
// past that it stays as written.
#pragma once

#include <cstddef>

// The most text a mangled name of `len` bytes may demangle to: 4 KiB, or 16
// bytes for each of its own when that is more. No real name comes near it.
size_t demangle_budget(size_t len);

// The readable form of the mangled name of `len` bytes at `mangled`, in a
// block from mem_alloc that the caller gives back with mem_free, its length
// in *text_len (NUL-terminated there). Null when the name does not demangle
// or would need more than its budget; null with *nomem set when memory ran
// out. Time and memory stay in proportion to the budget.
char *demangle_name(const char *mangled, size_t len, size_t *text_len, bool *nomem);
