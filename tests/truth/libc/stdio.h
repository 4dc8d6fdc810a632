/* The few declarations of <stdio.h> that the truth programs use, for
   targets whose C library headers are not installed (macOS). */
#ifndef TRUTH_STDIO_H
#define TRUTH_STDIO_H
#ifdef __cplusplus
extern "C" {
#endif
typedef struct FILE FILE;
extern FILE *stderr;
int printf(const char *, ...);
int fprintf(FILE *, const char *, ...);
int puts(const char *);
int putchar(int);
#ifdef __cplusplus
}
#endif
#endif
