// The lines of a Volume 1/2 text file held whole in memory, as views into it.
// Knows line ends (LF, CR LF, CR CR LF) and the DOS end-of-file byte; nothing about content.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace kvb {

enum class LineStatus { kLine, kEnd, kTooLong, kReadError };

class LineReader {
 public:
  // Agency lines are 80 columns; anything far longer is not such a file.
  static constexpr std::size_t kMaxLine = 4096;

  // The lines of text, which must outlive the reader and the lines it gives.
  explicit LineReader(std::string_view text);
  // The lines of the whole of in, read first; a failed read shows after the
  // lines read before it.
  explicit LineReader(std::FILE* in);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Sets line to the next line, without its LF and the CRs before it. A byte 0x1A ends
  // the file where it stands (the padding of files copied from DOS); a last
  // line without a line end still counts as a line.
  LineStatus next(std::string_view& line);
  // The same, the line copied.
  LineStatus next(std::string& line);

  // 1-based number of the line last returned (or the one that was too long).
  long line_number() const { return number_; }

  // Every byte of the input, past any DOS end too: what a binary format reads.
  std::string_view bytes() const { return whole_; }

 private:
  std::string owned_;  // the stream's bytes, for a reader made from one
  std::string_view whole_;
  std::string_view text_;
  std::size_t at_ = 0;
  long number_ = 0;
  bool read_error_ = false;
};

}  // namespace kvb
