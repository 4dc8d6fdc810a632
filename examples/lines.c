/* Counts the lines of a file: main calls two static helpers. */
#include <stdio.h>
#include <stdlib.h>

static void fail(const char *what);
static long count_lines(FILE *f);

int main(int argc, char **argv) {
  FILE *f = fopen(argc > 1 ? argv[1] : "/dev/stdin", "r");
  if (f == NULL) fail("fopen");
  printf("%ld\n", count_lines(f));
  return fclose(f) != 0;
}

static void fail(const char *what) {
  perror(what);
  exit(1);
}

static long count_lines(FILE *f) {
  long n = 0;
  for (int c; (c = getc(f)) != EOF;)
    n += c == '\n';
  return n;
}
