// Records in: the text-mode bytes of one input file, cut into records.
// CR LF reads as LF, a lone CR is an ordinary byte, a byte 0x1A ends the file.
#pragma once

#include <cstddef>
#include <string_view>

#include "region.h"

namespace kvb {

// What follows the bytes of a record that a statement sees: the line feed
// that ends it, or the end of the file.
enum class RecordEnd { kLineFeed, kEndOfFile };

// The bytes of the current record that a statement may look at, and what
// follows them. `end` is meaningful only when the record ends within
// `bytes`; a record longer than asked for continues past them (`more`).
struct RecordView {
  std::string_view bytes;
  RecordEnd end;
  bool more;
};

class RecordReader {
 public:
  static constexpr std::size_t kBufferSize = kRecordBufferSize;
  static constexpr std::size_t kMaxPeek = kBufferSize / 2;

  RecordReader() = default;
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // Starts reading the file descriptor from its current position into
  // `buffer` (kRecordBufferBytes, the caller's; loads may read its slack).
  void attach(int fd, char* buffer);
  void detach();

  // The first `limit` bytes (at most kMaxPeek) of the current record,
  // without consuming them.
  RecordView peek(std::size_t limit);
  // The next n bytes from the current position, line feeds or not, when
  // they are read already (kSlack more may be loaded); nullptr otherwise.
  // Reads nothing, consumes nothing.
  const char* buffered(std::size_t n) const { return end_ - pos_ >= n ? buffer_ + pos_ : nullptr; }
  // Consumes the line feed when it is the next byte, false otherwise.
  bool consume_line_feed() {
    if (pos_ == end_ || buffer_[pos_] != '\n') return false;
    ++pos_;
    return true;
  }
  // Consumes `n` bytes of the current record (n at most what peek showed).
  void consume(std::size_t n) { pos_ += n; }
  // Consumes the rest of the record and its line feed. False when the end
  // of the file came first.
  bool skip_record();
  // True when at least one more byte can be read.
  bool has_byte();

 private:
  bool fill();  // reads more; false at the end of the file

  int fd_ = -1;
  char* buffer_ = nullptr;
  std::size_t pos_ = 0;      // next byte to deliver
  std::size_t end_ = 0;      // end of the translated bytes
  std::size_t raw_end_ = 0;  // end of the bytes read (a held-back CR)
  bool at_end_ = false;      // nothing more will come from the file
};

}  // namespace kvb
