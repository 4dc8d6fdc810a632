#include "scan/source.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

void src_open(scan_source *src, int fd) {
  src->fd = fd;
  src->pos = 0;
  src->len = 0;
  src->at_end = false;
  src->err = 0;
  std::memset(src->buf, 0, SRC_PAD);
}

int src_refill(scan_source *src) {
  if (src->at_end) return SRC_EOF;
  for (;;) {
    ssize_t n = read(src->fd, src->buf, sizeof src->buf - SRC_PAD);
    if (n > 0) {
      std::memset(src->buf + n, 0, SRC_PAD);
      // The character handed out stays in the buffer, so a push-back
      // right after a refill steps back onto it.
      src->len = static_cast<size_t>(n);
      src->pos = 1;
      return src->buf[0];
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) src->err = errno;
    src->at_end = true;
    src->pos = src->len = 0;
    std::memset(src->buf, 0, SRC_PAD);
    return SRC_EOF;
  }
}
