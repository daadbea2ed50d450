// Agency files split by kvb-split and converted by read-KVB: what the CSV must
// hold for samples in cm/s², and a run of both programs on written files.
// Needs KVB_SPLIT and READ_KVB, the programs' paths.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "component_file.h"
#include "temp_dir.h"

namespace kvb_test {

using Files = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// A CSV field of a sample: as kvb-split writes it (when it does not copy the
// file's own text, which reads back the same), read in single precision, F10.3.
inline std::string csv_field(double cm_s2) {
  float stored = std::strtof(component_field(cm_s2).value_or("*").c_str(), nullptr);
  char text[32];
  std::snprintf(text, sizeof text, "%10.3f", static_cast<double>(stored));
  return std::string(text) == "    -0.000" ? "     0.000" : text;
}

// read-KVB's CSV: every sample (kvb-split ends each component file with an
// empty data line, which read-KVB counts as eight zeros), the UP count rounded
// up to whole data lines, each line's time at 0.005 s steps.
inline std::string expected_csv(const std::vector<double>& n00, const std::vector<double>& n90,
                                const std::vector<double>& up) {
  std::string csv;
  const std::size_t nt = (up.size() + 7) / 8 * 8;
  for (std::size_t i = 0; i < nt; ++i) {
    char time[16];
    std::snprintf(time, sizeof time, "%7.3f", static_cast<double>(static_cast<float>(static_cast<double>(i) * 0.005)));
    auto at = [i](const std::vector<double>& v) { return csv_field(i < v.size() ? v[i] : 0.0); };
    csv += std::string(time) + "," + at(n00) + "," + at(n90) + "," + at(up) + "\n";
  }
  return csv;
}

// Writes the files, runs kvb-split on them with the options, then read-KVB on
// the component files; the kvb-split run, and the CSV when it succeeded.
inline std::pair<test_support::RunResult, std::string> split_and_convert(const Files& files,
                                                                         std::vector<std::string> options) {
  test_support::TempDir dir;
  test_support::RunOptions split;
  split.argv = {KVB_SPLIT, "-o", "rec"};
  split.argv.insert(split.argv.end(), options.begin(), options.end());
  for (const auto& [name, bytes] : files) {
    dir.write(name, bytes);
    split.argv.push_back(name);
  }
  split.cwd = dir.path();
  test_support::RunResult result = test_support::run(split);
  if (!result.exited(0)) return {result, ""};
  test_support::RunOptions convert;
  convert.argv = {READ_KVB};
  convert.cwd = dir.file("rec");
  convert.stdin_bytes = "accel.csv\n";
  test_support::RunResult conv = test_support::run(convert);
  EXPECT_TRUE(conv.exited(0) && conv.err.empty()) << conv.describe() << "\n" << conv.err;
  return {result, dir.read("rec/accel.csv").value_or("(no CSV)")};
}

}  // namespace kvb_test
