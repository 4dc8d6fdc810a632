// Buffered output to a file descriptor that remembers the first write error,
// so that a run can tell at the end whether its output really was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct out_buffer {
  int fd;             // where full buffers go; -1 to collect into `sink`
  std::string *sink;  // tests: collects everything instead of writing
  int err;            // errno of the first failed write, 0 if none
  size_t len;
  char buf[1 << 16];
};

// Sets up a buffer that writes to `fd`.
void out_open(out_buffer *out, int fd);

// Sets up a buffer that appends everything to `sink` (for tests).
void out_open_string(out_buffer *out, std::string *sink);

// Writes the buffered bytes. Returns false when any write so far failed.
bool out_flush(out_buffer *out);

// Appends n bytes.
void out_write(out_buffer *out, const char *s, size_t n);

// Appends a NUL-terminated string.
void out_str(out_buffer *out, const char *s);

// Appends `s` right-aligned in a field of `width` columns, like "%*s".
void out_right(out_buffer *out, const char *s, size_t len, int64_t width);

// Appends `n` in decimal, right-aligned in `width` columns, like "%*ld".
void out_num(out_buffer *out, int64_t n, int64_t width);

// The longest run a writer puts together in place with out_room; anything
// longer goes through out_write.
constexpr size_t OUT_RUN_MAX = 4096;

// Room for `n` (at most OUT_RUN_MAX) more bytes, flushing first when the
// buffer lacks it: where they go. The writer stores them and ends the run
// with out_commit.
inline char *out_room(out_buffer *out, size_t n) {
  if (sizeof out->buf - out->len < n) out_flush(out);
  return out->buf + out->len;
}

// Ends a run that out_room began and that ends at `end`.
inline void out_commit(out_buffer *out, char *end) {
  out->len = static_cast<size_t>(end - out->buf);
}

// Copies `n` bytes to `p` and returns their end. Most of what the writers
// copy are short names: a few fixed-size moves, which may overlap, rather
// than a call.
inline char *out_put(char *p, const char *s, size_t n) {
  if (n >= 8 && n <= 16) {
    std::memcpy(p, s, 8);
    std::memcpy(p + n - 8, s + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(p, s, 4);
    std::memcpy(p + n - 4, s + n - 4, 4);
  } else if (n > 0 && n < 4) {
    p[0] = s[0];
    p[n / 2] = s[n / 2];
    p[n - 1] = s[n - 1];
  } else if (n > 16) {
    std::memcpy(p, s, n);
  }
  return p + n;
}

// Writes `n` in decimal at `p` (room for 20 bytes) and returns the end.
char *out_put_num(char *p, int64_t n);
