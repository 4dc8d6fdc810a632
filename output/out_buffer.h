// Buffered output to a file descriptor that remembers the first write error,
// so that a run can tell at the end whether its output really was written.
#pragma once

#include <cstddef>
#include <cstdint>
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
