#include "scan/lex/source.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

void src_open(scan_source *src, int fd) {
  src->fd = fd;
  src->pos = 0;
  src->len = 0;
  src->cap = SRC_CAP;
  src->at_end = false;
  src->err = 0;
  std::memset(src->buf, 0, SRC_PAD);
}

int src_refill(scan_source *src) {
  if (src_read_keeping(src, src->len) == 0) return SRC_EOF;
  // The character handed out stays in the buffer, so a push-back right after
  // a refill steps back onto it.
  src->pos = 1;
  return src->buf[0];
}

size_t src_read_keeping(scan_source *src, size_t keep) {
  size_t kept = src->len - keep;
  std::memmove(src->buf, src->buf + keep, kept);
  src->pos = 0;
  src->len = kept;
  size_t n = 0;
  while (!src->at_end) {
    ssize_t got = read(src->fd, src->buf + kept, src->cap - kept);
    if (got > 0) {
      n = static_cast<size_t>(got);
      break;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) src->err = errno;
    src->at_end = true;
  }
  src->len = kept + n;
  std::memset(src->buf + src->len, 0, SRC_PAD);
  return n;
}
