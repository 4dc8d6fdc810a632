/* The few declarations of <stdlib.h> that the truth programs use, for
   targets whose C library headers are not installed (macOS). */
#ifndef TRUTH_STDLIB_H
#define TRUTH_STDLIB_H
#ifdef __cplusplus
extern "C" {
#endif
#define NULL ((void *)0)
__attribute__((noreturn)) void exit(int);
__attribute__((noreturn)) void abort(void);
long labs(long);
long strtol(const char *, char **, int);
void qsort(void *, unsigned long, unsigned long, int (*)(const void *, const void *));
#ifdef __cplusplus
}
#endif
#endif
