// Records in: buffered reads of a file descriptor with the text-mode
// translation applied once per block, not per byte.
#include "record.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kvb {
namespace {

constexpr char kEndOfFileByte = 0x1A;

}  // namespace

void RecordReader::attach(int fd, char* buffer) {
  buffer_ = buffer;
  fd_ = fd;
  pos_ = end_ = raw_end_ = 0;
  at_end_ = false;
}

void RecordReader::detach() {
  fd_ = -1;
  pos_ = end_ = raw_end_ = 0;
  at_end_ = true;
}

bool RecordReader::fill() {
  if (at_end_) return false;
  // Keep what is not yet delivered (and a CR held back) at the front.
  std::memmove(buffer_, buffer_ + pos_, raw_end_ - pos_);
  end_ -= pos_;
  raw_end_ -= pos_;
  pos_ = 0;

  ssize_t got;
  do got = ::read(fd_, buffer_ + raw_end_, kBufferSize - raw_end_);
  while (got < 0 && errno == EINTR);
  // A read error ends the input like the end of the file.
  if (got <= 0) at_end_ = true;
  else raw_end_ += static_cast<std::size_t>(got);

  // Translate the new bytes in place: drop a CR that comes before a LF, end
  // the file at a byte 0x1A, hold back a CR whose next byte is still unread.
  char* const b = buffer_;
  std::size_t raw = raw_end_;
  std::size_t in = end_;
  if (auto* sub = static_cast<char*>(std::memchr(b + in, kEndOfFileByte, raw - in))) {
    raw = static_cast<std::size_t>(sub - b);
    at_end_ = true;
  }
  std::size_t out = in;
  if (std::memchr(b + in, '\r', raw - in) == nullptr) {
    out = in = raw;
  } else {
    for (; in < raw; ++in) {
      char c = b[in];
      if (c == '\r') {
        if (in + 1 == raw && !at_end_) break;
        if (in + 1 < raw && b[in + 1] == '\n') continue;
      }
      b[out++] = c;
    }
    if (in < raw) b[out] = '\r';  // held back for the next block
  }
  raw_end_ = (in < raw) ? out + 1 : out;
  end_ = out;
  return true;
}

RecordView RecordReader::peek(std::size_t limit) {
  limit = std::min(limit, kMaxPeek);
  for (;;) {
    const char* p = buffer_ + pos_;
    std::size_t avail = end_ - pos_;
    std::size_t n = std::min(avail, limit);
    if (auto* lf = static_cast<const char*>(std::memchr(p, '\n', n))) {
      return {{p, static_cast<std::size_t>(lf - p)}, RecordEnd::kLineFeed, false};
    }
    if (avail >= limit) return {{p, limit}, RecordEnd::kLineFeed, true};
    if (at_end_) return {{p, avail}, RecordEnd::kEndOfFile, false};
    fill();
  }
}

bool RecordReader::skip_record() {
  for (;;) {
    const char* p = buffer_ + pos_;
    if (auto* lf = static_cast<const char*>(std::memchr(p, '\n', end_ - pos_))) {
      pos_ += static_cast<std::size_t>(lf - p) + 1;
      return true;
    }
    pos_ = end_;
    if (at_end_) return false;
    fill();
  }
}

bool RecordReader::has_byte() {
  while (pos_ == end_) {
    if (at_end_) return false;
    fill();
  }
  return true;
}

}  // namespace kvb
