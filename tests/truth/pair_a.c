/* One of two files that each hold a static function called helper: each
   file's calls must reach its own. It also reads a global that the other
   file defines, and data of its own that the compiler writes after the
   code. */
#include <stdio.h>

extern long shared;
long twin_b(long x);

long counter = 5;
static long scale = 3;

static __attribute__((noinline)) long helper(long x) {
  printf("a %ld\n", x);
  return x * scale + shared;
}

long twin_a(long x) {
  return helper(x) + twin_b(x) + counter;
}
