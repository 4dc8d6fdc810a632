// A buffered character source over a file descriptor: large reads, one
// character of push-back, a memory of the first read error, and a few skips
// so that a lexer says what it passes over and never moves the buffer itself.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

constexpr int SRC_EOF = -1;

// Bytes after the data, all 0: 0 is a byte of no class, so that a loop over
// a run of one class stops at the end of the data without testing for it,
// and a 64-byte block load from anywhere in the data stays inside the buffer.
constexpr size_t SRC_PAD = 64;
constexpr size_t SRC_CAP = 1 << 16;

struct scan_source {
  int fd;
  size_t pos;
  size_t len;
  size_t cap;   // bytes the buffer holds at most; tests make it small
  bool at_end;  // the last refill met end of file or an error
  int err;      // errno of the first read error, 0 if none
  alignas(64) unsigned char buf[SRC_CAP + SRC_PAD];
};

// Sets up a source over an open descriptor; reading starts at the first byte.
void src_open(scan_source *src, int fd);

// Refills the buffer; returns the next character or SRC_EOF.
int src_refill(scan_source *src);

// Moves the unread bytes from `keep` on to the front of the buffer and reads
// more after them; returns how many bytes it read, 0 at the end of the file
// or after a read error. There must be room: `len - keep` below `cap`.
size_t src_read_keeping(scan_source *src, size_t keep);

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

// Consumes the run of bytes that starts at the next one and ends where
// `run_end(first)` says, and returns the run. `run_end` must stop at a 0 byte:
// the 0 after the data then ends the run inside the buffer, and when the run
// ends there, src_drained is true and the run may go on after a refill.
template <class RunEnd>
inline std::string_view src_take_run(scan_source *src, RunEnd run_end) {
  const unsigned char *first = src->buf + src->pos;
  const unsigned char *stop = run_end(first);
  src->pos = static_cast<size_t>(stop - src->buf);
  return {reinterpret_cast<const char *>(first), static_cast<size_t>(stop - first)};
}

// True when every buffered byte has been read.
inline bool src_drained(const scan_source *src) {
  return src->pos == src->len;
}

// Makes sure a byte is buffered without consuming it; false at end of file.
inline bool src_fill(scan_source *src) {
  if (!src_drained(src)) return true;
  if (src_refill(src) == SRC_EOF) return false;
  src_unget(src);
  return true;
}

// Returns the next character without consuming it, or SRC_EOF.
inline int src_peek(scan_source *src) {
  return src_fill(src) ? src->buf[src->pos] : SRC_EOF;
}

// Consumes runs as src_take_run does, across refills, then returns the byte
// after them, consumed, or SRC_EOF.
template <class RunEnd>
inline int src_get_after(scan_source *src, RunEnd run_end) {
  for (;;) {
    const unsigned char *p = run_end(src->buf + src->pos);
    size_t pos = static_cast<size_t>(p - src->buf);
    if (pos < src->len) {
      src->pos = pos + 1;
      return *p;
    }
    src->pos = pos;
    if (!src_fill(src)) return SRC_EOF;
  }
}

// Consumes bytes up to, not including, the next `byte` or the end of the file.
inline void src_skip_to(scan_source *src, unsigned char byte) {
  do {
    const unsigned char *p = src->buf + src->pos;
    const void *hit = std::memchr(p, byte, src->len - src->pos);
    src->pos =
        hit ? static_cast<size_t>(static_cast<const unsigned char *>(hit) - src->buf) : src->len;
  } while (src_drained(src) && src_fill(src));
}
