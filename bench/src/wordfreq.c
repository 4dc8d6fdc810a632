/* Counts the words of its input and prints the most frequent ones. */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct wf_entry {
  struct wf_entry *next;
  char *word;
  unsigned long count;
};

static struct wf_entry *wf_buckets[4096];
static unsigned long wf_distinct;
static unsigned long wf_total;
static const char *wf_stopwords[] = {"the", "a", "an", "and", "or", "of", "to", "in", "is", "it"};
static char wf_buffer[1024];

static unsigned wf_hash(const char *s) {
  unsigned h = 2166136261u;
  while (*s) h = (h ^ (unsigned char)*s++) * 16777619u;
  return h;
}

static int wf_is_stopword(const char *w) {
  for (size_t i = 0; i < sizeof wf_stopwords / sizeof wf_stopwords[0]; ++i)
    if (strcmp(w, wf_stopwords[i]) == 0) return 1;
  return 0;
}

static char *wf_strdup(const char *s) {
  size_t n = strlen(s) + 1;
  char *p = malloc(n);
  if (!p) {
    perror("malloc");
    exit(1);
  }
  memcpy(p, s, n);
  return p;
}

static struct wf_entry *wf_find(const char *w, int create) {
  unsigned h = wf_hash(w) & 4095;
  for (struct wf_entry *e = wf_buckets[h]; e; e = e->next)
    if (strcmp(e->word, w) == 0) return e;
  if (!create) return NULL;
  struct wf_entry *e = malloc(sizeof *e);
  if (!e) {
    perror("malloc");
    exit(1);
  }
  e->word = wf_strdup(w);
  e->count = 0;
  e->next = wf_buckets[h];
  wf_buckets[h] = e;
  wf_distinct++;
  return e;
}

static void wf_lower(char *w) {
  for (; *w; ++w) *w = (char)tolower((unsigned char)*w);
}

static int wf_read_word(FILE *in, char *buf, size_t cap) {
  int c;
  size_t n = 0;
  while ((c = getc(in)) != EOF && !isalpha(c)) {
  }
  if (c == EOF) return 0;
  do {
    if (n + 1 < cap) buf[n++] = (char)c;
  } while ((c = getc(in)) != EOF && isalpha(c));
  buf[n] = 0;
  return 1;
}

static void wf_count(FILE *in) {
  while (wf_read_word(in, wf_buffer, sizeof wf_buffer)) {
    wf_lower(wf_buffer);
    if (wf_is_stopword(wf_buffer)) continue;
    wf_find(wf_buffer, 1)->count++;
    wf_total++;
  }
}

static int wf_compare(const void *a, const void *b) {
  const struct wf_entry *x = *(struct wf_entry *const *)a;
  const struct wf_entry *y = *(struct wf_entry *const *)b;
  if (x->count != y->count) return x->count < y->count ? 1 : -1;
  return strcmp(x->word, y->word);
}

static struct wf_entry **wf_collect(void) {
  struct wf_entry **all = malloc((wf_distinct + 1) * sizeof *all);
  size_t n = 0;
  if (!all) return NULL;
  for (size_t i = 0; i < 4096; ++i)
    for (struct wf_entry *e = wf_buckets[i]; e; e = e->next) all[n++] = e;
  qsort(all, n, sizeof *all, wf_compare);
  return all;
}

static void wf_report(struct wf_entry **all, size_t top) {
  printf("%lu words, %lu distinct\n", wf_total, wf_distinct);
  for (size_t i = 0; i < top && i < wf_distinct; ++i)
    printf("%8lu %s\n", all[i]->count, all[i]->word);
}

static void wf_release(void) {
  for (size_t i = 0; i < 4096; ++i) {
    struct wf_entry *e = wf_buckets[i];
    while (e) {
      struct wf_entry *next = e->next;
      free(e->word);
      free(e);
      e = next;
    }
    wf_buckets[i] = NULL;
  }
}

int main(int argc, char **argv) {
  size_t top = argc > 1 ? (size_t)strtoul(argv[1], NULL, 10) : 20;
  for (int i = 2; i < argc; ++i) {
    FILE *f = fopen(argv[i], "r");
    if (!f) {
      perror(argv[i]);
      continue;
    }
    wf_count(f);
    fclose(f);
  }
  if (argc <= 2) wf_count(stdin);
  struct wf_entry **all = wf_collect();
  if (all) wf_report(all, top);
  free(all);
  wf_release();
  return 0;
}
