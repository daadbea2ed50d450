// An input text file, line by line, with failures that name the file and line.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "readers/line_reader.h"
#include "record/split_error.h"

namespace kvb {

class TextFile {
 public:
  // The lines of text, the file's whole content, which outlives this and the
  // lines it gives.
  TextFile(std::string path, std::string_view text)
      : path_(std::move(path)), size_(static_cast<long long>(text.size())), lines_(text) {}
  // The lines of the whole of in, read first.
  TextFile(std::string path, std::FILE* in) : path_(std::move(path)), size_(regular_size(in)), lines_(in) {}

  // The next line, or false at the end of the file; throws for a line that
  // is too long or a failed read. A view stays valid while the text does.
  bool next(std::string_view& line) { return took(lines_.next(line)); }
  bool next(std::string& line) { return took(lines_.next(line)); }

  [[noreturn]] void fail(const std::string& what) const { fail_at(lines_.line_number(), what); }
  [[noreturn]] void fail_at(long line, const std::string& what) const {
    throw SplitError(escaped(path_) + ":" + std::to_string(line) + ": " + what);
  }
  const std::string& path() const { return path_; }
  // The file's every byte, for a binary format.
  std::string_view bytes() const { return lines_.bytes(); }
  long line_number() const { return lines_.line_number(); }

  // The size in bytes of the whole text, or of a regular file read as a
  // stream; nothing for a pipe. No count of values can exceed it.
  std::optional<long long> size() const { return size_; }

 private:
  bool took(LineStatus status) {
    switch (status) {
      case LineStatus::kLine: return true;
      case LineStatus::kEnd: return false;
      case LineStatus::kTooLong: fail("line longer than " + std::to_string(LineReader::kMaxLine) + " bytes");
      case LineStatus::kReadError: break;
    }
    throw SplitError(escaped(path_) + ": " + std::strerror(errno));
  }

  static std::optional<long long> regular_size(std::FILE* in) {
    struct stat st {};
    const int fd = in ? fileno(in) : -1;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<long long>(st.st_size);
  }

  std::string path_;
  std::optional<long long> size_;
  LineReader lines_;
};

}  // namespace kvb
