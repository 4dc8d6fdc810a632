/* A small C program whose assembly, as the C compiler writes it, telvanor
   reads with -a. The calls between the global functions, as read here:
     collatz -> (scaled, static)
     longest -> collatz
     report  -> collatz, printf
     main    -> strtol, longest, report, printf */
#include <stdio.h>
#include <stdlib.h>

long steps;

static long scaled(long x) {
  steps++;
  return x * 3 + 1;
}

long collatz(long n) {
  long count = 0;
  while (n > 1) {
    n = n % 2 ? scaled(n) : n / 2;
    count++;
  }
  return count;
}

long longest(long limit) {
  long best = 1;
  for (long n = 1; n <= limit; n++)
    if (collatz(n) > collatz(best)) best = n;
  return best;
}

void report(const char *label, long n) {
  printf("%s: %ld takes %ld steps\n", label, n, collatz(n));
}

int main(int argc, char **argv) {
  long limit = argc > 1 ? strtol(argv[1], NULL, 10) : 30;
  report("longest", longest(limit));
  report("limit", limit);
  printf("%ld steps in all\n", steps);
  return 0;
}
