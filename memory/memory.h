// Every allocation telvanor makes goes through these functions, so a test can
// make any single one of them fail and watch the failure travel up.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns n bytes of uninitialised memory, or null when memory is exhausted.
void *mem_alloc(size_t n);

// Resizes a block from mem_alloc; returns null (and leaves p alone) on failure.
void *mem_realloc(void *p, size_t n);

// Returns a private copy of the first len bytes of s plus a NUL, or null.
char *mem_strndup(const char *s, size_t len);

// Returns a private copy of the NUL-terminated string s, or null.
char *mem_strdup(const char *s);

// Releases a block from mem_alloc, mem_realloc or mem_strdup; null is fine.
void mem_free(void *p);

// Test seam: allocation number n (counted from 1 after this call) fails;
// n <= 0 turns failure injection off. Resets the allocation counter.
void mem_fail_at(long n);

// Number of allocation attempts since the last mem_fail_at call.
long mem_attempts();

// Number of blocks handed out and not yet released, so that a test can see
// that a run, failed or not, gives back everything it took.
long mem_live();

// Grows the array `*array` of `*cap` elements so that it holds at least
// `need`, and never more than `limit`; false when memory is exhausted or
// `need` passes the limit (the array is then as it was).
template <class T, class Count>
bool mem_reserve(T **array, Count *cap, uint64_t need, uint64_t limit) {
  if (need <= static_cast<uint64_t>(*cap)) return true;
  if (need > limit) return false;
  // Doubling keeps the copies few; glibc moves a large block by remapping
  // its pages, and pages never touched cost no memory.
  uint64_t grown = *cap < 16 ? 16 : static_cast<uint64_t>(*cap) * 2;
  if (grown < need) grown = need;
  if (grown > limit) grown = limit;
  if (grown > SIZE_MAX / sizeof(T)) return false;
  T *p = static_cast<T *>(mem_realloc(*array, grown * sizeof(T)));
  if (p == nullptr) return false;
  *array = p;
  *cap = static_cast<Count>(grown);
  return true;
}
