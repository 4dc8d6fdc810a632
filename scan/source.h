// A buffered character source over a file descriptor: large reads, one
// character of push-back, and a memory of the first read error.
#pragma once

#include <cstddef>

enum { SRC_EOF = -1 };

struct scan_source {
  int fd;
  size_t pos;
  size_t len;
  int at_end;  // the last refill met end of file or an error
  int err;     // errno of the first read error, 0 if none
  // SRC_PAD bytes more than a read fills, all 0 after the data: 0 is a byte
  // of no class, so that a loop over a run of one class stops at the end of
  // the data without testing for it, and a 16-byte load from anywhere in the
  // data stays inside the buffer.
  unsigned char buf[(1 << 16) + 16];
};

enum { SRC_PAD = 16 };

// Sets up a source over an open descriptor; reading starts at the first byte.
void src_open(scan_source *src, int fd);

// Refills the buffer; returns the next character or SRC_EOF.
int src_refill(scan_source *src);

// Returns the next character, 0 to 255, or SRC_EOF at the end or after a read
// error (src->err then says which).
inline int src_get(scan_source *src) {
  if (src->pos < src->len) return src->buf[src->pos++];
  return src_refill(src);
}

// Pushes back the character that src_get just returned (not SRC_EOF).
inline void src_unget(scan_source *src) {
  src->pos--;
}
