// One line at a time from a Volume 1/2 text file, in bounded memory.
// Knows line ends (LF, CR LF, CR CR LF) and the DOS end-of-file byte; nothing about content.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

enum class LineStatus { kLine, kEnd, kTooLong, kReadError };

class LineReader {
 public:
  // Agency lines are 80 columns; anything far longer is not such a file.
  static constexpr std::size_t kMaxLine = 4096;

  explicit LineReader(std::FILE* in) : in_(in) {}

  // Fills line with the next line, without its LF and the CRs before it. A byte 0x1A ends
  // the file where it stands (the padding of files copied from DOS); a last
  // line without a line end still counts as a line.
  LineStatus next(std::string& line);

  // 1-based number of the line last returned (or the one that was too long).
  long line_number() const { return number_; }

 private:
  std::FILE* in_;
  long number_ = 0;
  bool ended_ = false;
};
