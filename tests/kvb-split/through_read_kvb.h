// Agency files split by kvb-split and converted by read-KVB: what the CSV must
// hold for samples in cm/s², and a run of both programs on written files.
// Needs KVB_SPLIT and READ_KVB, the programs' paths.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "component_layout.h"
#include "expected_csv.h"
#include "temp_dir.h"
#include "writers/component_file.h"

using namespace kvb;

namespace kvb_test {

using Files = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// read-KVB's CSV after kvb-split (expected_csv): every UP sample, rounded up
// to whole data records (the empty one that closes each component file makes
// up for the last record's eight samples, which read-KVB leaves out).
inline std::string csv_after_split(const std::vector<float>& n00, const std::vector<float>& n90,
                                   const std::vector<float>& up) {
  const std::size_t per = layout::kFieldsPerRecord;
  return test_support::expected_csv(n00, n90, up, (up.size() + per - 1) / per * per);
}

// The CSV for samples in cm/s² as kvb-split writes them (when it does not copy
// the file's own text, which reads back the same).
inline std::string expected_csv(const std::vector<double>& n00, const std::vector<double>& n90,
                                const std::vector<double>& up) {
  auto held = [](const std::vector<double>& cm_s2) {
    std::vector<float> column;
    for (double v : cm_s2) column.push_back(test_support::held(component_field(v).value_or("*")));
    return column;
  };
  return csv_after_split(held(n00), held(n90), held(up));
}

// Writes the files, runs kvb-split on them with the options (uncorrected
// records kept as recorded: --filter none), then read-KVB on the component
// files; the kvb-split run, and the CSV when it succeeded.
inline std::pair<test_support::RunResult, std::string> split_and_convert(const Files& files,
                                                                         std::vector<std::string> options) {
  test_support::TempDir dir;
  std::vector<std::string> split = {KVB_SPLIT, "-o", "rec", "--filter", "none"};
  split.insert(split.end(), options.begin(), options.end());
  for (const auto& [name, bytes] : files) {
    dir.write(name, bytes);
    split.push_back(name);
  }
  test_support::RunResult result = test_support::run_in(dir.path(), split);
  if (!result.exited(0)) return {result, ""};
  test_support::RunResult conv = test_support::run_in(dir.file("rec"), {READ_KVB}, "accel.csv\n");
  EXPECT_TRUE(conv.exited(0) && conv.err.empty()) << conv.describe() << "\n" << conv.err;
  return {result, dir.read("rec/accel.csv").value_or("(no CSV)")};
}

}  // namespace kvb_test
