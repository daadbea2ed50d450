// Generated Volume 1 and Volume 2 files, split by kvb-split and converted by
// read-KVB: the CSV must hold the generated samples, N00, N90, UP.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "band_limited.h"
#include "child_process.h"
#include "generators/csmip.h"
#include "json_doc.h"
#include "temp_dir.h"
#include "through_read_kvb.h"

namespace {

using namespace kvb_test;
using test_support::run_in;
using test_support::RunResult;
using test_support::TempDir;

// The CSV for these N00, N90 and UP samples in millionths as the generator
// writes them.
std::string expected_csv(const std::vector<long>& n00, const std::vector<long>& n90, const std::vector<long>& up) {
  auto held = [](const std::vector<long>& micro) {
    std::vector<float> column;
    for (long v : micro) column.push_back(test_support::held(value_text(v, 10)));
    return column;
  };
  return csv_after_split(held(n00), held(n90), held(up));
}

// The CSV's numbers, line by line.
std::vector<std::vector<double>> numbers(const std::string& csv) {
  std::vector<std::vector<double>> rows;
  for (std::size_t at = 0, end; (end = csv.find('\n', at)) != std::string::npos; at = end + 1) {
    std::vector<double> row;
    for (std::size_t f = at; f < end; f = csv.find(',', f) + 1) {
      row.push_back(std::strtod(csv.c_str() + f, nullptr));
      if (csv.find(',', f) > end) break;
    }
    rows.push_back(row);
  }
  return rows;
}

// For samples that kvb-split converts (times factor), the CSV holds them to
// within one unit of its third decimal.
void expect_close(const std::string& expected, const std::string& csv) {
  auto want = numbers(expected), got = numbers(csv);
  ASSERT_EQ(want.size(), got.size());
  for (std::size_t r = 0; r < want.size(); ++r) {
    ASSERT_EQ(want[r].size(), got[r].size()) << r;
    for (std::size_t c = 0; c < want[r].size(); ++c)
      EXPECT_NEAR(want[r][c], got[r][c], 0.0010001) << "line " << r + 1 << " field " << c + 1;
  }
}

void split_and_convert(const GenOptions& opt, const std::vector<GenChannel>& channels, const std::vector<long>& n00,
                       const std::vector<long>& n90, const std::vector<long>& up) {
  TempDir dir;
  dir.write("rec.v", volume_file(channels, opt));
  if (opt.pairs) {  // uneven times: refused, or put on an even grid
    RunResult refused = run_in(dir.path(), {KVB_SPLIT, "-o", "rec", "rec.v"});
    EXPECT_TRUE(refused.exited(1)) << refused.describe();
    EXPECT_EQ(0u, refused.err.find("kvb-split: rec.v channel 3: the samples are at uneven times")) << refused.err;
  }
  RunResult split = run_in(dir.path(), {KVB_SPLIT, "-o", "rec", "--keep-interval", "--filter", "none", "rec.v"});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  if (opt.pairs) {
    EXPECT_EQ("", split.err);  // the grid's step is the median step, 0.005 s
    EXPECT_NE(std::string::npos, split.out.find(" at uneven times), g/10 × 98.0665 -> cm/s²\n")) << split.out;
  }

  RunResult conv = run_in(dir.file("rec"), {READ_KVB}, "accel.csv\n");
  ASSERT_TRUE(conv.exited(0)) << conv.describe() << "\n" << conv.err;
  EXPECT_EQ("", conv.err);
  const std::string csv = dir.read("rec/accel.csv").value_or("(no CSV)");
  if (opt.volume == 2) {
    EXPECT_EQ(expected_csv(n00, n90, up), csv);
  } else {  // in g (millionths), or g/10 (thousandths) for pairs
    const double scale = opt.pairs ? 98.0665e-3 : 980.665e-6;
    // Pairs: at each instant of the 0.005 s grid, the line between the
    // samples around it.
    const std::vector<long> ms = pair_times(up.size());
    const std::size_t count = opt.pairs ? static_cast<std::size_t>(ms.back() / 5 + 1) : up.size();
    auto at = [&](const std::vector<long>& v, std::size_t i) {
      if (!opt.pairs) return i < v.size() ? static_cast<double>(v[i]) * scale : 0.0;
      const double t = 5.0 * static_cast<double>(i);
      std::size_t k = 0;
      while (k + 2 < ms.size() && static_cast<double>(ms[k + 1]) <= t) ++k;
      const double w = std::min(1.0, (t - static_cast<double>(ms[k])) / static_cast<double>(ms[k + 1] - ms[k]));
      return (static_cast<double>(v[k]) + w * static_cast<double>(v[k + 1] - v[k])) * scale;
    };
    auto column = [&](const std::vector<long>& v) {
      std::vector<float> held(count);
      for (std::size_t i = 0; i < count; ++i) held[i] = static_cast<float>(at(v, i));
      return held;
    };
    const std::string want = csv_after_split(column(n00), column(n90), column(up));
    expect_close(want, csv);
  }
  // read-KVB echoes each file's title record.
  for (const GenChannel& ch : channels) {
    std::string orientation = opt.upper ? upper(ch.orientation) : ch.orientation;
    EXPECT_NE(std::string::npos, conv.out.find("channel " + std::to_string(ch.number) + ": " + orientation))
        << conv.out;
  }
}

TEST(KvbSplitThroughReadKvb, Volume2CrLfPaddedTouchingShortLastLine) {
  GenOptions opt;
  opt.eol = "\r\n";
  opt.dos_padding = 77;
  const long limit = 100'000'000;
  std::vector<GenChannel> channels = {{1, "90 Deg", samples(203, 1, limit)},
                                      {2, "Up", samples(203, 2, limit)},
                                      {3, "360 Deg", samples(203, 3, limit)}};
  split_and_convert(opt, channels, channels[2].micro, channels[0].micro, channels[1].micro);
}

TEST(KvbSplitThroughReadKvb, Volume1UpperCaseNineColumnsInG) {
  GenOptions opt;
  opt.volume = 1;
  opt.upper = true;
  const long limit = 2'000'000;  // 2 g
  std::vector<GenChannel> channels = {{1, "Up", samples(96, 4, limit)},
                                      {2, "0 Deg", samples(90, 5, limit)},
                                      {3, "270 Deg", samples(100, 6, limit)}};
  split_and_convert(opt, channels, channels[1].micro, channels[2].micro, channels[0].micro);
}

TEST(KvbSplitThroughReadKvb, FilmEraPairsInGTenthsAtUnevenTimes) {
  GenOptions opt;
  opt.volume = 1;
  opt.pairs = true;
  opt.upper = true;
  opt.eol = "\r\n";
  auto thousandths = [](int count, int seed) {
    std::vector<long> v = samples(count, seed, 2'000'000);
    for (long& x : v) x /= 1000;  // the pairs hold three decimals
    return v;
  };
  std::vector<GenChannel> channels = {{1, "90 DEG", thousandths(43, 7)},
                                      {2, "UP", thousandths(43, 8)},
                                      {3, "360 DEG", thousandths(43, 9)}};
  split_and_convert(opt, channels, channels[2].micro, channels[0].micro, channels[1].micro);
}

// A 15 s record at 0.01 s of band-limited samples (peak near 90 cm/s²),
// resampled band-limited: read-KVB's CSV at 0.005 s holds the signal itself to 0.1 % of
// its peak away from the first and last second, and every resampled sample.
TEST(KvbSplitThroughReadKvb, ResampledRecordHoldsTheSignalAndItsRecordFileSaysSo) {
  const double from = 0.01, scale = 0.45;
  const int n = 1501;
  std::vector<GenChannel> channels = {{1, "360 Deg", {}}, {2, "90 Deg", {}}, {3, "Up", {}}};
  for (GenChannel& ch : channels) {
    for (int k = 0; k < n; ++k)
      ch.micro.push_back(std::lround(1e6 * scale * band_limited(k * from + ch.number, 0.5 / from)));
  }
  GenOptions opt;
  opt.interval = from;
  TempDir dir;
  dir.write("rec.v2", volume_file(channels, opt));
  RunResult split = run_in(dir.path(), {KVB_SPLIT, "--resample=band-limited", "-o", "rec", "rec.v2"});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ("", split.err);
  RunResult conv = run_in(dir.file("rec"), {READ_KVB}, "accel.csv\n");
  ASSERT_TRUE(conv.exited(0)) << conv.describe() << "\n" << conv.err;

  auto rows = numbers(dir.read("rec/accel.csv").value_or(""));
  ASSERT_EQ(3008u, rows.size());  // 3001 samples at 0.005 s, rounded up to whole lines of eight
  double peak = 0, error = 0, csv_peak = 0;
  for (std::size_t i = 0; i < 3001; ++i) {
    const double t = static_cast<double>(i) * 0.005;
    ASSERT_NEAR(t, rows[i][0], 0.0005);
    csv_peak = std::max(csv_peak, std::fabs(rows[i][1]));
    for (std::size_t c = 0; c < 3; ++c) {
      const double exact = scale * band_limited(t + channels[c].number, 0.5 / from);
      peak = std::max(peak, std::fabs(exact));
      if (t >= 1.0 && t <= 14.0) error = std::max(error, std::fabs(rows[i][c + 1] - exact));
    }
  }
  EXPECT_LT(error, 1e-3 * peak + 0.0005) << error << " of " << peak;

  JsonDoc record(dir.read("rec/KVB-record.json").value_or(""));
  EXPECT_EQ(0.005, record.number("/csv_time_step"));
  EXPECT_FALSE(record.is_null("/done/resampled"));
  EXPECT_EQ(layout::kNames[0], record.text("/components/0/file"));
  EXPECT_EQ(0.01, record.number("/components/0/source_interval"));
  EXPECT_EQ(static_cast<double>(n), record.number("/components/0/source_samples"));
  EXPECT_EQ(3001, record.number("/components/0/samples"));
  EXPECT_NEAR(csv_peak, std::fabs(record.number("/components/0/peak/value")), 0.0006);
}

// Two horizontals and no vertical: refused, or with --missing-vertical zeros
// an UP of zeros whose title says so.
TEST(KvbSplitThroughReadKvb, MissingVerticalBecomesZerosWhenAsked) {
  const long limit = 100'000'000;
  std::vector<GenChannel> channels = {{1, "90 Deg", samples(20, 1, limit)}, {2, "360 Deg", samples(20, 2, limit)}};
  TempDir dir;
  dir.write("rec.v2", volume_file(channels, GenOptions{}));
  RunResult refused = run_in(dir.path(), {KVB_SPLIT, "-o", "rec", "rec.v2"});
  EXPECT_TRUE(refused.exited(1)) << refused.describe();
  EXPECT_EQ(
      "kvb-split: the record has no vertical channel, only rec.v2 channel 1 (90 Deg) and rec.v2 channel "
      "2 (360 Deg); --missing-vertical zeros writes a KVB-UP.txt of zeros\n",
      refused.err);
  RunResult split = run_in(dir.path(), {KVB_SPLIT, "--missing-vertical", "zeros", "-o", "rec", "rec.v2"});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  RunResult conv = run_in(dir.file("rec"), {READ_KVB}, "accel.csv\n");
  ASSERT_TRUE(conv.exited(0)) << conv.describe();
  EXPECT_NE(std::string::npos, conv.out.find("channel UP: zeros, the record has no vertical")) << conv.out;
  EXPECT_EQ(expected_csv(channels[1].micro, channels[0].micro, std::vector<long>(20, 0)),
            dir.read("rec/accel.csv").value_or(""));
  JsonDoc record(dir.read("rec/KVB-record.json").value_or(""));
  EXPECT_EQ("zeros", record.text("/done/missing_vertical"));
  EXPECT_TRUE(record.flag("/components/2/zeros"));
}

}  // namespace
