// A fresh directory for one test, removed with everything in it at the end.
// Files are written and read as raw bytes: no line-end translation anywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

class TempDir {
 public:
  // Made under $TMPDIR (or /tmp) with mode 0755, so that another user can
  // enter it when a test runs the program under an unprivileged uid.
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const;

  // Writes the bytes to the named file (created with mode 0644 or replaced).
  void write(std::string_view name, std::string_view bytes) const;
  // The whole file, or nothing when it does not exist.
  std::optional<std::string> read(std::string_view name) const;
  // Names of the entries (of the subdirectory when one is named), sorted;
  // "." and ".." left out; none when the directory does not exist.
  std::vector<std::string> list(std::string_view subdirectory = {}) const;

 private:
  std::string path_;
};

// The bytes of a file given by its full path, or nothing when it cannot be read.
std::optional<std::string> read_file(const std::string& path);

}  // namespace test_support
