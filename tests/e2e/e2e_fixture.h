// Shared pieces of the end-to-end tests: a directory holding the three
// component files, the run of the built program in it, and the expected
// console transcript and CSV lines.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "child_process.h"
#include "component_files.h"
#include "temp_dir.h"

namespace e2e {

using test_support::ComponentFile;
using test_support::RunOptions;
using test_support::RunResult;

inline const std::array<std::string, 3> kNames = {layout::kNames[0], layout::kNames[1], layout::kNames[2]};
inline const std::array<std::string, 3> kTitles = {"CHANNEL 1 SAMPLE TITLE TEXT", "CHANNEL 2 SAMPLE TITLE TEXT",
                                                   "CHANNEL 3 SAMPLE TITLE TEXT"};
inline constexpr size_t kTranscriptLines = 17;
inline constexpr size_t kCsvLineBytes = 41;  // 40 characters and a line feed

// Console lines of a run, each with its line feed: the banner to the output
// prompt. `records[c]` is the count of data records read completely from
// component c (the counters line shows it, 8*i+1 and 8*i-8).
std::vector<std::string> console_lines(const std::array<int, 3>& records,
                                       const std::array<std::string, 3>& titles = kTitles);
// The first `lines` of them joined: what stdout holds when the run ends there.
std::string console(const std::array<int, 3>& records, size_t lines = kTranscriptLines,
                    const std::array<std::string, 3>& titles = kTitles);
// Lines of the console that come before each failing step of a run.
inline constexpr size_t kBeforeFirstFile = 6;
inline constexpr size_t kAfterTitle[3] = {7, 10, 13};
inline constexpr size_t kAfterFile[3] = {9, 12, 15};

// The CSV of `nt` lines for samples given in thousandths (expected_csv); a
// sample beyond the end of its list shows as 0.000.
std::string csv_from_milli(const std::vector<long>& x, const std::vector<long>& y, const std::vector<long>& z, int nt);
// Deterministic accelerogram-like samples in thousandths (|v| < 1000).
std::vector<long> samples(int component, size_t count);

// A temporary directory in which the program runs.
class E2e : public ::testing::Test {
 protected:
  test_support::TempDir dir_;

  // Removes every file of the directory: each case of a table starts empty,
  // so that no file left by an earlier case can pass for a new one.
  void clear_dir() const;
  void put(int component, const std::string& bytes) const {
    dir_.write(kNames[static_cast<std::size_t>(component)], bytes);
  }
  // Component c with a full header, its default title and `records` records
  // of samples(c, 8*records).
  std::string standard(int component, int records, const std::string& eol = "\n") const;
  void put_standard(const std::array<int, 3>& records) const;

  RunOptions options(const std::string& stdin_bytes = "out.csv\n") const;
  RunResult run(const std::string& stdin_bytes = "out.csv\n") const;
  RunResult run(const RunOptions& options) const { return test_support::run(options); }

  // The entries of the directory other than the three component files.
  std::vector<std::string> other_files() const;
  std::string read(const std::string& name) const;
};

}  // namespace e2e
