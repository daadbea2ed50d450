// Records out: one write() per full buffer.
#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kvb {

void OutputBuffer::attach(int fd, char* buffer) {
  buffer_ = buffer;
  fd_ = fd;
  used_ = 0;
  error_ = 0;
}

void OutputBuffer::write(const char* bytes, std::size_t n) {
  if (used_ + n > kBufferSize) {
    flush();
    if (n > kBufferSize) return write_through(bytes, n);
  }
  std::memcpy(buffer_ + used_, bytes, n);
  used_ += n;
}

bool OutputBuffer::flush() {
  // Emptied first: a signal that ends the run during the write must not
  // make the closing write these bytes a second time.
  std::size_t n = used_;
  used_ = 0;
  write_through(buffer_, n);
  return error_ == 0;
}

void OutputBuffer::write_through(const char* bytes, std::size_t n) {
  while (n > 0) {
    ssize_t put = ::write(fd_, bytes, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      // What could not be written is dropped; the error stays for the close.
      if (error_ == 0) error_ = put < 0 ? errno : EIO;
      return;
    }
    bytes += put;
    n -= static_cast<std::size_t>(put);
  }
}

}  // namespace kvb
