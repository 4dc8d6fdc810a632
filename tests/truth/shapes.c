/* A C program shaped to trip a reader that takes only global labels as
   functions: static functions before and after the global ones, recursion,
   calls through function pointers, calls in tail position, and rare paths
   that the optimiser moves into clones (.part, .isra, .constprop) and cold
   parts. */
#include <stdio.h>
#include <stdlib.h>

static long total;
static int verbose;

__attribute__((noreturn, cold)) static void fail(const char *what, long n) {
  fprintf(stderr, "%s: %ld\n", what, n);
  exit(2);
}

static long square(long x) {
  return x * x;
}

static long cube(long x) {
  return x * square(x);
}

/* Recursion, direct and mutual. */
long fib(long n) {
  return n < 2 ? n : fib(n - 1) + fib(n - 2);
}

static int is_odd(unsigned n);
static int is_even(unsigned n) {
  return n == 0 ? 1 : is_odd(n - 1);
}
static int is_odd(unsigned n) {
  return n == 0 ? 0 : is_even(n - 1);
}

/* Only reached through the table. */
static long twice(long x) {
  return 2 * x;
}
static long negate(long x) {
  return -x;
}
static long (*const ops[])(long) = {twice, negate, square};

long apply(unsigned i, long x) {
  if (i >= sizeof ops / sizeof ops[0]) fail("no such operation", i);
  return ops[i](x);
}

/* A cheap early exit before a long body: the test is inlined into the
   callers, the rest stays a function of its own. */
static long slow_sum(const long *v, long n) {
  if (n <= 0) return 0;
  long s = 0;
  for (long i = 0; i < n; i++) {
    if (v[i] < 0) fail("negative", v[i]);
    s += cube(v[i]) + v[i] / 3;
    if (verbose) printf("%ld %ld\n", i, s);
  }
  for (long i = 0; i < n; i++)
    if ((s ^= v[i]) & 1024) puts("odd");
  total += s;
  return s;
}

long summed(const long *v, long n) {
  return slow_sum(v, n) + 1;
}

/* Only one field of the record is read, once: it can be passed alone. */
struct range {
  long lo, hi, step;
};
static long walk(const struct range *r, long k) {
  long lo = r->lo, s = 0;
  for (long i = 0; i < lo; i++)
    if ((s += i * k) > 100000) printf("%ld\n", s);
  for (long i = 0; i < lo; i++)
    if ((s ^= i * k) > 100900) printf("~%ld\n", s);
  return s;
}

/* Always called with the same unit: a copy specialised for it. */
static __attribute__((noinline)) long scaled(long x, int unit) {
  if (verbose) printf("%ld%c\n", x, unit);
  return x * unit + fib(x & 7);
}

long report(const struct range *r, long n) {
  return scaled(n, 'k') + walk(r, n) + walk(r + 1, n + 1) + slow_sum(&r->step, n);
}

/* Tail calls to a global function, to a static one and to the library. */
long dispatch(long n) {
  if (n < 0) return report(NULL, -n);
  if (n & 1) return cube(n) + apply((unsigned)n % 3, n);
  if (n > 1000) return scaled(n, 'k');
  return labs(n - 100);
}

static void usage(void) {
  fail("usage", 0);
}

/* Its address is taken in code, but it is never called from here. */
static int by_value(const void *a, const void *b) {
  return (*(const long *)a > *(const long *)b) - (*(const long *)a < *(const long *)b);
}

int main(int argc, char **argv) {
  if (argc < 2) usage();
  long n = strtol(argv[1], NULL, 10);
  long v[4] = {n, n + 1, n + 2, n + 3};
  verbose = argc > 2;
  qsort(v, 4, sizeof v[0], by_value);
  printf("%ld %d %ld %ld\n", fib(n % 20), is_even((unsigned)n), summed(v, 4), dispatch(n));
  return total > 1000;
}
