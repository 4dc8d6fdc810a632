/* A small calculator: variables, the four operations, parentheses. */
#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum calc_token { CT_END, CT_NUM, CT_NAME, CT_OP, CT_LPAREN, CT_RPAREN, CT_ASSIGN, CT_ERROR };

struct calc_lexer {
  const char *pos;
  enum calc_token kind;
  double number;
  char name[64];
  char op;
};

struct calc_var {
  char name[64];
  double value;
};

static struct calc_var calc_vars[256];
static int calc_nvars;
static const char calc_prompt[] = "> ";
static const char *calc_errors[] = {"ok", "syntax error", "unknown variable", "division by zero"};
static int calc_error;

static void calc_next(struct calc_lexer *lx) {
  while (isspace((unsigned char)*lx->pos)) lx->pos++;
  char c = *lx->pos;
  if (c == 0) {
    lx->kind = CT_END;
  } else if (isdigit((unsigned char)c) || c == '.') {
    char *end;
    lx->number = strtod(lx->pos, &end);
    lx->pos = end;
    lx->kind = CT_NUM;
  } else if (isalpha((unsigned char)c)) {
    size_t n = 0;
    while (isalnum((unsigned char)*lx->pos) && n + 1 < sizeof lx->name) lx->name[n++] = *lx->pos++;
    lx->name[n] = 0;
    lx->kind = CT_NAME;
  } else {
    lx->pos++;
    lx->op = c;
    lx->kind = c == '(' ? CT_LPAREN : c == ')' ? CT_RPAREN : c == '=' ? CT_ASSIGN
             : strchr("+-*/^", c) ? CT_OP : CT_ERROR;
  }
}

static struct calc_var *calc_lookup(const char *name, int create) {
  for (int i = 0; i < calc_nvars; ++i)
    if (strcmp(calc_vars[i].name, name) == 0) return &calc_vars[i];
  if (!create || calc_nvars == 256) return NULL;
  struct calc_var *v = &calc_vars[calc_nvars++];
  snprintf(v->name, sizeof v->name, "%s", name);
  v->value = 0;
  return v;
}

static double calc_expr(struct calc_lexer *lx);

static double calc_primary(struct calc_lexer *lx) {
  if (lx->kind == CT_NUM) {
    double v = lx->number;
    calc_next(lx);
    return v;
  }
  if (lx->kind == CT_NAME) {
    struct calc_var *v = calc_lookup(lx->name, 0);
    calc_next(lx);
    if (!v) {
      calc_error = 2;
      return 0;
    }
    return v->value;
  }
  if (lx->kind == CT_LPAREN) {
    calc_next(lx);
    double v = calc_expr(lx);
    if (lx->kind != CT_RPAREN) calc_error = 1;
    calc_next(lx);
    return v;
  }
  if (lx->kind == CT_OP && lx->op == '-') {
    calc_next(lx);
    return -calc_primary(lx);
  }
  calc_error = 1;
  return 0;
}

static double calc_power(struct calc_lexer *lx) {
  double base = calc_primary(lx);
  if (lx->kind == CT_OP && lx->op == '^') {
    calc_next(lx);
    return pow(base, calc_power(lx));
  }
  return base;
}

static double calc_term(struct calc_lexer *lx) {
  double v = calc_power(lx);
  while (lx->kind == CT_OP && (lx->op == '*' || lx->op == '/')) {
    char op = lx->op;
    calc_next(lx);
    double r = calc_power(lx);
    if (op == '*') {
      v *= r;
    } else if (r == 0) {
      calc_error = 3;
    } else {
      v /= r;
    }
  }
  return v;
}

static double calc_expr(struct calc_lexer *lx) {
  double v = calc_term(lx);
  while (lx->kind == CT_OP && (lx->op == '+' || lx->op == '-')) {
    char op = lx->op;
    calc_next(lx);
    double r = calc_term(lx);
    v = op == '+' ? v + r : v - r;
  }
  return v;
}

static int calc_statement(const char *line, double *result) {
  struct calc_lexer lx = {line, CT_END, 0, "", 0};
  calc_error = 0;
  calc_next(&lx);
  if (lx.kind == CT_NAME) {
    struct calc_lexer save = lx;
    char name[64];
    memcpy(name, lx.name, sizeof name);
    calc_next(&lx);
    if (lx.kind == CT_ASSIGN) {
      calc_next(&lx);
      double v = calc_expr(&lx);
      struct calc_var *var = calc_lookup(name, 1);
      if (var && !calc_error) var->value = v;
      *result = v;
      return calc_error == 0 && lx.kind == CT_END;
    }
    lx = save;
  }
  *result = calc_expr(&lx);
  if (lx.kind != CT_END && !calc_error) calc_error = 1;
  return calc_error == 0;
}

int main(void) {
  char line[512];
  for (;;) {
    fputs(calc_prompt, stdout);
    fflush(stdout);
    if (!fgets(line, sizeof line, stdin)) break;
    line[strcspn(line, "\n")] = 0;
    if (strcmp(line, "quit") == 0) break;
    double r;
    if (calc_statement(line, &r))
      printf("%g\n", r);
    else
      fprintf(stderr, "error: %s\n", calc_errors[calc_error]);
  }
  return 0;
}
