#include "memory/memory.h"

#include <cstdlib>
#include <cstring>

namespace {
long mem_counter = 0;
long mem_fail_number = 0;
long mem_blocks = 0;

// Counts one allocation attempt; true when this one must fail.
bool mem_should_fail() {
  ++mem_counter;
  return mem_fail_number > 0 && mem_counter == mem_fail_number;
}
}  // namespace

void *mem_alloc(size_t n) {
  if (mem_should_fail()) return nullptr;
  void *p = std::malloc(n ? n : 1);
  if (p != nullptr) ++mem_blocks;
  return p;
}

void *mem_realloc(void *p, size_t n) {
  if (mem_should_fail()) return nullptr;
  void *q = std::realloc(p, n ? n : 1);
  if (q != nullptr && p == nullptr) ++mem_blocks;
  return q;
}

char *mem_strndup(const char *s, size_t len) {
  char *copy = static_cast<char *>(mem_alloc(len + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, s, len);
  copy[len] = '\0';
  return copy;
}

char *mem_strdup(const char *s) {
  return mem_strndup(s, std::strlen(s));
}

void mem_free(void *p) {
  if (p != nullptr) --mem_blocks;
  std::free(p);
}

void mem_fail_at(long n) {
  mem_counter = 0;
  mem_fail_number = n;
}

long mem_attempts() {
  return mem_counter;
}

long mem_live() {
  return mem_blocks;
}
