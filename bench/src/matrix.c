/* Dense matrices: products, LU decomposition, solving, and a report. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  int rows, cols;
  double *data;
} mx_matrix;

static unsigned long mx_seed = 12345;
static double mx_identity3[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
static const char mx_title[] = "matrix report";
static int mx_allocations;

static double mx_random(void) {
  mx_seed = mx_seed * 6364136223846793005ul + 1442695040888963407ul;
  return (double)(mx_seed >> 11) / 9007199254740992.0;
}

static mx_matrix *mx_new(int rows, int cols) {
  mx_matrix *m = malloc(sizeof *m);
  if (!m) return NULL;
  m->data = calloc((size_t)rows * cols, sizeof *m->data);
  if (!m->data) {
    free(m);
    return NULL;
  }
  m->rows = rows;
  m->cols = cols;
  mx_allocations++;
  return m;
}

static void mx_free(mx_matrix *m) {
  if (!m) return;
  free(m->data);
  free(m);
  mx_allocations--;
}

static double *mx_at(mx_matrix *m, int r, int c) { return &m->data[(size_t)r * m->cols + c]; }

static void mx_fill_random(mx_matrix *m) {
  for (int i = 0; i < m->rows * m->cols; ++i) m->data[i] = mx_random() * 2 - 1;
}

static mx_matrix *mx_multiply(mx_matrix *a, mx_matrix *b) {
  if (a->cols != b->rows) return NULL;
  mx_matrix *p = mx_new(a->rows, b->cols);
  if (!p) return NULL;
  for (int i = 0; i < a->rows; ++i)
    for (int k = 0; k < a->cols; ++k) {
      double x = *mx_at(a, i, k);
      for (int j = 0; j < b->cols; ++j) *mx_at(p, i, j) += x * *mx_at(b, k, j);
    }
  return p;
}

static int mx_lu(mx_matrix *m, int *perm) {
  int n = m->rows;
  for (int i = 0; i < n; ++i) perm[i] = i;
  for (int k = 0; k < n; ++k) {
    int best = k;
    for (int i = k + 1; i < n; ++i)
      if (fabs(*mx_at(m, i, k)) > fabs(*mx_at(m, best, k))) best = i;
    if (fabs(*mx_at(m, best, k)) < 1e-12) return 0;
    if (best != k) {
      for (int j = 0; j < n; ++j) {
        double t = *mx_at(m, k, j);
        *mx_at(m, k, j) = *mx_at(m, best, j);
        *mx_at(m, best, j) = t;
      }
      int t = perm[k];
      perm[k] = perm[best];
      perm[best] = t;
    }
    for (int i = k + 1; i < n; ++i) {
      double f = *mx_at(m, i, k) /= *mx_at(m, k, k);
      for (int j = k + 1; j < n; ++j) *mx_at(m, i, j) -= f * *mx_at(m, k, j);
    }
  }
  return 1;
}

static void mx_solve(mx_matrix *lu, const int *perm, const double *b, double *x) {
  int n = lu->rows;
  for (int i = 0; i < n; ++i) {
    double s = b[perm[i]];
    for (int j = 0; j < i; ++j) s -= *mx_at(lu, i, j) * x[j];
    x[i] = s;
  }
  for (int i = n - 1; i >= 0; --i) {
    double s = x[i];
    for (int j = i + 1; j < n; ++j) s -= *mx_at(lu, i, j) * x[j];
    x[i] = s / *mx_at(lu, i, i);
  }
}

static double mx_norm(const double *v, int n) {
  double s = 0;
  for (int i = 0; i < n; ++i) s += v[i] * v[i];
  return sqrt(s);
}

static void mx_print(const char *label, mx_matrix *m) {
  printf("%s (%dx%d)\n", label, m->rows, m->cols);
  for (int i = 0; i < m->rows && i < 4; ++i) {
    for (int j = 0; j < m->cols && j < 4; ++j) printf(" %9.4f", *mx_at(m, i, j));
    putchar('\n');
  }
}

int main(int argc, char **argv) {
  int n = argc > 1 ? atoi(argv[1]) : 50;
  puts(mx_title);
  mx_matrix *a = mx_new(n, n), *b = mx_new(n, n);
  if (!a || !b) return 1;
  mx_fill_random(a);
  mx_fill_random(b);
  mx_matrix *p = mx_multiply(a, b);
  mx_print("product", p);
  int *perm = malloc(n * sizeof *perm);
  double *rhs = malloc(n * sizeof *rhs), *x = malloc(n * sizeof *x);
  for (int i = 0; i < n; ++i) rhs[i] = mx_identity3[i % 9];
  if (mx_lu(p, perm)) {
    mx_solve(p, perm, rhs, x);
    printf("solution norm %g\n", mx_norm(x, n));
  } else {
    puts("singular");
  }
  free(perm);
  free(rhs);
  free(x);
  mx_free(a);
  mx_free(b);
  mx_free(p);
  printf("%d matrices left\n", mx_allocations);
  return 0;
}
