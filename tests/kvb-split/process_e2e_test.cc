// kvb-split's processing of uncorrected records, end to end: the chain's
// effect on a generated Volume 1, its account in KVB-record.json, and the
// choices between processing, keeping and refusing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "generators/csmip.h"
#include "json_doc.h"
#include "temp_dir.h"

namespace {

using namespace kvb_test;
using test_support::RunResult;
using test_support::TempDir;

constexpr double kGal = 980.665;  // cm/s² a g

// Samples in millionths of g at 0.005 s: `quiet` seconds of weak noise, then
// 40 s of a 2 Hz sine of 0.05 g and a broadband motion of 0.005 g, rising
// in 2 s and dying away over the last 10; all on an offset of 0.002 g, the
// offset and noise a processing must remove.
std::vector<long> burst(double quiet, unsigned seed) {
  std::mt19937 random(seed);
  auto uniform = [&] { return static_cast<double>(random()) / 4294967296.0 - 0.5; };
  std::vector<long> micro;
  const auto n = static_cast<std::size_t>((quiet + 40) / 0.005);
  for (std::size_t k = 0; k < n; ++k) {
    const double t = static_cast<double>(k) * 0.005, s = t - quiet;
    const double envelope = s < 0 ? 0.0 : std::min({1.0, s / 2, (40 - s) / 10});
    const double motion = 0.05 * std::sin(2 * std::numbers::pi * 2 * t) + 0.01 * uniform();
    micro.push_back(std::lround(1e6 * (0.002 + 6e-5 * uniform() + envelope * motion)));
  }
  return micro;
}

RunResult split_record(const TempDir& dir, int volume, double quiet, std::vector<std::string> args) {
  GenOptions opt;
  opt.volume = volume;
  dir.write(
      "rec.v",
      volume_file({{1, "90 Deg", burst(quiet, 1)}, {2, "Up", burst(quiet, 2)}, {3, "360 Deg", burst(quiet, 3)}}, opt));
  args.insert(args.begin(), KVB_SPLIT);
  args.insert(args.end(), {"-o", "out", "rec.v"});
  return test_support::run_in(dir.path(), std::move(args));
}

TEST(KvbSplitProcess, TheChainItsLineAndItsRecord) {
  const std::string uncorrected_line = "uncorrected (Volume 1): the accelerations as recorded";
  struct Case {
    int volume;
    std::vector<std::string> args;
    const char* line;  // the last line of stdout
    const char* level;
    const char* chosen;  // how N00's corners were chosen; "" when not processed
  } cases[] = {
      {1, {"--filter", "0.2:20"}, "filtered 0.2-20 Hz (given)", "processed", "given"},
      {1, {}, "filtered ", "processed", "auto"},
      {1, {"--filter", "none"}, uncorrected_line.c_str(), "uncorrected", ""},
      {2, {}, "", "corrected", ""},
      {2, {"--process-corrected", "--filter", "0.2:20"}, "filtered 0.2-20 Hz (given)", "processed", "given"},
  };
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.volume) + (c.args.empty() ? "" : " " + c.args[0]);
    TempDir dir;
    const RunResult r = split_record(dir, c.volume, 20.0, c.args);
    ASSERT_TRUE(r.exited(0)) << what << r.describe() << r.err;
    const std::size_t last = r.out.rfind('\n', r.out.size() - 2) + 1;
    EXPECT_EQ(0u, r.out.compare(last, std::string(c.line).size(), c.line)) << what << "\n" << r.out;
    const JsonDoc doc(dir.read("out/KVB-record.json").value_or(""));
    EXPECT_EQ(doc.text("/processing/level"), c.level) << what;
    const double peak = std::fabs(doc.number("/components/0/peak/value"));
    if (*c.chosen == '\0') {
      EXPECT_TRUE(doc.is_null("/processing/steps")) << what;
      continue;
    }
    EXPECT_EQ(doc.text("/processing/components/N00/chosen"), c.chosen) << what;
    // The offset gone, the motion kept: the peak that of the sine (Volume 1
    // in g, Volume 2 in cm/s²) and up to a tenth more, the broadband part's.
    const double sine = 0.05 * (c.volume == 1 ? kGal : 1.0);
    EXPECT_NEAR(peak, 1.05 * sine, 0.05 * sine) << what;
    EXPECT_NEAR(std::fabs(doc.number("/processing/components/N00/mean_removed")), 0.002 * sine / 0.05, 0.0001 * sine)
        << what;
    const char* steps[] = {"remove mean", "cosine taper", "band-pass", "baseline"};
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(doc.text("/processing/steps/" + std::to_string(k) + "/step"), steps[k]) << what;
    EXPECT_EQ(doc.number("/processing/steps/2/order_per_pass"), 4) << what;
    EXPECT_NEAR(doc.number("/processing/onset_seconds"), 20.0, 0.5) << what;
    EXPECT_EQ(doc.text("/processing/source_files/0"), "rec.v") << what;
    EXPECT_EQ(doc.number("/processing/components/N00/high_pass_hz"),
              doc.number("/processing/components/N90/high_pass_hz"))
        << what << ": the horizontals share their high-pass corner";
    if (*c.chosen == 'a') {
      EXPECT_GT(doc.number("/processing/components/UP/snr/peak_ratio"), 3) << what;
      EXPECT_LT(doc.number("/processing/components/N00/high_pass_hz"), 1.0) << what;
    }
  }
}

// The channels with samples go first through settle_time and back to their
// places after: the processing must still see one horizontal as N90, not N00.
TEST(KvbSplitProcess, OneHorizontalIsProcessedInItsPlace) {
  TempDir dir;
  GenOptions opt;
  opt.volume = 1;
  dir.write("rec.v", volume_file({{1, "90 Deg", burst(20.0, 1)}, {2, "Up", burst(20.0, 2)}}, opt));
  const RunResult r = test_support::run_in(
      dir.path(), {KVB_SPLIT, "--missing-horizontal", "zeros", "--filter", "0.2:20", "-o", "out", "rec.v"});
  ASSERT_TRUE(r.exited(0)) << r.describe() << r.err;
  const JsonDoc doc(dir.read("out/KVB-record.json").value_or(""));
  EXPECT_TRUE(doc.is_null("/processing/components/N00"));
  EXPECT_EQ(doc.number("/processing/components/N90/high_pass_hz"), 0.2);
  EXPECT_EQ(doc.number("/processing/components/UP/high_pass_hz"), 0.2);
  EXPECT_NEAR(std::fabs(doc.number("/components/1/peak/value")), 1.05 * 0.05 * kGal, 0.05 * 0.05 * kGal);
}

TEST(KvbSplitProcess, RefusalsAndUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    double quiet;
    int status;
    const char* err;
  } cases[] = {
      {{}, 0.0, 1, "kvb-split: N00: no pre-event noise to choose the filter's corners from"},
      {{"--filter", "2:2.5"}, 20.0, 1, "kvb-split: N00: the band 2-2.5 Hz is too narrow"},
      {{"--filter", "0.1:150"}, 20.0, 1, "kvb-split: N00: the low-pass corner 150 Hz is not below the Nyquist"},
      {{"--filter", "1:0.5"}, 20.0, 2, "kvb-split: --filter takes auto, none or LOW:HIGH"},
      {{"--process-corrected"}, 20.0, 2, "kvb-split: --process-corrected needs the corners: --filter LOW:HIGH"},
      {{"--filter-order", "9"}, 20.0, 2, "kvb-split: --filter-order takes a whole number from 1 to 8, not 9"},
      {{"--taper", "0.6"}, 20.0, 2, "kvb-split: --taper takes a fraction from 0 to 0.5, not 0.6"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const RunResult r = split_record(dir, 1, c.quiet, c.args);
    EXPECT_TRUE(r.exited(c.status)) << c.err << r.describe();
    EXPECT_EQ(0u, r.err.find(c.err)) << r.err;
    EXPECT_FALSE(dir.read("out/KVB-N00.txt")) << c.err;
  }
}

}  // namespace
