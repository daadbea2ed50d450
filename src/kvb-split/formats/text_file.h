// An input text file, line by line, with failures that name the file and line.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "line_reader.h"
#include "split_error.h"

class TextFile {
 public:
  TextFile(std::string path, std::FILE* in) : path_(std::move(path)), in_(in), lines_(in) {}

  // The next line, or false at the end of the file; throws for a line that
  // is too long or a failed read.
  bool next(std::string& line) {
    switch (lines_.next(line)) {
      case LineStatus::kLine: return true;
      case LineStatus::kEnd: return false;
      case LineStatus::kTooLong: fail("line longer than " + std::to_string(LineReader::kMaxLine) + " bytes");
      case LineStatus::kReadError: break;
    }
    throw kvb_split::SplitError(kvb_split::escaped(path_) + ": " + std::strerror(errno));
  }

  [[noreturn]] void fail(const std::string& what) const { fail_at(lines_.line_number(), what); }
  [[noreturn]] void fail_at(long line, const std::string& what) const {
    throw kvb_split::SplitError(kvb_split::escaped(path_) + ":" + std::to_string(line) + ": " + what);
  }
  const std::string& path() const { return path_; }
  long line_number() const { return lines_.line_number(); }

  // The size in bytes of a regular file; nothing for a pipe or memory.
  std::optional<long long> size() const {
    struct stat st {};
    const int fd = in_ ? fileno(in_) : -1;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<long long>(st.st_size);
  }

 private:
  std::string path_;
  std::FILE* in_;
  LineReader lines_;
};
