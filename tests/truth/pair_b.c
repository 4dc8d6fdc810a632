/* The other file with a static helper (see pair_a.c); it defines the
   global that pair_a.c reads. */
#include <stdio.h>

long shared = 7;
long twin_a(long x);

static __attribute__((noinline)) long helper(long x) {
  puts("b");
  return x - shared;
}

long twin_b(long x) {
  return helper(x) * 2;
}

int main(void) {
  return (int)twin_a(helper(3));
}
