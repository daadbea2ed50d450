#include "readers/line_reader.h"

namespace kvb {

namespace {
constexpr char kDosEnd = 0x1A;
}

LineReader::LineReader(std::string_view text) : whole_(text), text_(text.substr(0, text.find(kDosEnd))) {}

LineReader::LineReader(std::FILE* in) {
  char block[1 << 16];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) owned_.append(block, got);
  whole_ = text_ = owned_;
  const std::size_t dos_end = text_.find(kDosEnd);
  // A read that fails past the DOS end is never reached.
  read_error_ = std::ferror(in) && dos_end == std::string_view::npos;
  text_ = text_.substr(0, dos_end);
}

LineStatus LineReader::next(std::string_view& line) {
  line = {};
  std::size_t end = text_.find('\n', at_);
  if (end == std::string_view::npos) {
    end = text_.size();
    // The bytes before a failed read are no whole line.
    if (read_error_) {
      read_error_ = false;
      at_ = end;
      return LineStatus::kReadError;
    }
    if (at_ == end) return LineStatus::kEnd;
  }
  ++number_;
  if (end - at_ > kMaxLine) {
    at_ += kMaxLine + 1;
    return LineStatus::kTooLong;
  }
  line = text_.substr(at_, end - at_);
  at_ = end + (end < text_.size());
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CR LF, and CR CR LF
  return LineStatus::kLine;
}

LineStatus LineReader::next(std::string& line) {
  std::string_view view;
  const LineStatus status = next(view);
  line.assign(view);
  return status;
}

}  // namespace kvb
