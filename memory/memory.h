// Every allocation telvanor makes goes through these functions, so a test can
// make any single one of them fail and watch the failure travel up.
#pragma once

#include <cstddef>

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
