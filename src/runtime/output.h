// Records out: buffered writes to a file descriptor. A failed write is
// remembered (the first errno) and carried to the close, which reports it.
#pragma once

#include <cstddef>

#include "region.h"

namespace kvb {

class OutputBuffer {
 public:
  static constexpr std::size_t kBufferSize = kRecordBufferSize;
  static constexpr std::size_t kSlack = kRecordBufferSlack;

  OutputBuffer() = default;
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // Starts writing to the file descriptor through `buffer`
  // (kRecordBufferBytes, the caller's).
  void attach(int fd, char* buffer);
  void write(const char* bytes, std::size_t n);
  // Room for n more bytes at the end of what is buffered (written out
  // first when needed), and kSlack bytes after them that the caller may
  // spoil; nullptr when n is more than the buffer holds.
  char* reserve(std::size_t n) {
    if (used_ + n > kBufferSize) {
      if (n > kBufferSize) return nullptr;
      flush();
    }
    return buffer_ + used_;
  }
  // Adds the first n bytes of the reserved room to what is buffered.
  void commit(std::size_t n) { used_ += n; }
  // Hands everything buffered to the file. False once any write failed.
  bool flush();
  // 0, or the errno of the first write that failed since attach.
  int error() const { return error_; }

 private:
  void write_through(const char* bytes, std::size_t n);

  int fd_ = -1;
  char* buffer_ = nullptr;
  std::size_t used_ = 0;
  int error_ = 0;
};

}  // namespace kvb
