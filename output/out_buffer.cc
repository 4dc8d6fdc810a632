#include "output/out_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

void out_open(out_buffer *out, int fd) {
  out->fd = fd;
  out->sink = nullptr;
  out->err = 0;
  out->len = 0;
}

void out_open_string(out_buffer *out, std::string *sink) {
  out_open(out, -1);
  out->sink = sink;
}

bool out_flush(out_buffer *out) {
  if (out->sink != nullptr) {
    out->sink->append(out->buf, out->len);
    out->len = 0;
    return true;
  }
  size_t done = 0;
  // After a failure the rest is dropped: the run is failing anyway, and
  // retrying a full disk for every buffer would only slow that down.
  while (out->err == 0 && done < out->len) {
    ssize_t n = write(out->fd, out->buf + done, out->len - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      out->err = errno;
      break;
    }
    done += static_cast<size_t>(n);
  }
  out->len = 0;
  return out->err == 0;
}

void out_write(out_buffer *out, const char *s, size_t n) {
  while (n > 0) {
    if (out->len == sizeof out->buf) out_flush(out);
    size_t room = sizeof out->buf - out->len;
    size_t take = n < room ? n : room;
    std::memcpy(out->buf + out->len, s, take);
    out->len += take;
    s += take;
    n -= take;
  }
}

void out_str(out_buffer *out, const char *s) {
  out_write(out, s, std::strlen(s));
}

namespace {
void out_spaces(out_buffer *out, int64_t n) {
  static const char blanks[] = "                                                                ";
  while (n > 0) {
    int64_t take = n < 64 ? n : 64;
    out_write(out, blanks, static_cast<size_t>(take));
    n -= take;
  }
}
}  // namespace

void out_right(out_buffer *out, const char *s, size_t len, int64_t width) {
  if (width > static_cast<int64_t>(len)) out_spaces(out, width - static_cast<int64_t>(len));
  out_write(out, s, len);
}

char *out_put_num(char *p, int64_t n) {
  static const char pairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839404142434445"
      "46474849"
      "50515253545556575859606162636465666768697071727374757677787980818283848586878889909192939495"
      "96979899";
  if (n < 0) *p++ = '-';
  uint64_t u = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  // Two digits at a time, from the right, into a buffer of their own: no
  // pass to count them first.
  char digits[20];
  char *end = digits + sizeof digits;
  char *q = end;
  while (u >= 100) {
    q -= 2;
    std::memcpy(q, pairs + u % 100 * 2, 2);
    u /= 100;
  }
  if (u >= 10) {
    q -= 2;
    std::memcpy(q, pairs + u * 2, 2);
  } else {
    *--q = static_cast<char>('0' + u);
  }
  return out_put(p, q, static_cast<size_t>(end - q));
}

void out_num(out_buffer *out, int64_t n, int64_t width) {
  char digits[24];
  char *end = out_put_num(digits, n);
  out_right(out, digits, static_cast<size_t>(end - digits), width);
}
