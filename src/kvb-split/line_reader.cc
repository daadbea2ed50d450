#include "line_reader.h"

namespace {
constexpr int kDosEnd = 0x1A;
}

LineStatus LineReader::next(std::string& line) {
  line.clear();
  if (ended_) return LineStatus::kEnd;
  bool got_any = false;
  for (;;) {
    int c = std::getc(in_);
    if (c == EOF || c == kDosEnd) {
      ended_ = true;
      if (c == EOF && std::ferror(in_)) return LineStatus::kReadError;
      if (!got_any) return LineStatus::kEnd;
      break;
    }
    got_any = true;
    if (c == '\n') break;
    if (line.size() == kMaxLine) {
      ++number_;
      return LineStatus::kTooLong;
    }
    line.push_back(static_cast<char>(c));
  }
  while (!line.empty() && line.back() == '\r') line.pop_back();  // CR LF, and CR CR LF
  ++number_;
  return LineStatus::kLine;
}
