// Generated Volume 1 and Volume 2 files, split by kvb-split and converted by
// read-KVB: the CSV must hold the generated samples, N00, N90, UP.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_dir.h"
#include "generators/csmip.h"

namespace {

using namespace kvb_test;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

// The F editing of the CSV: d decimals in w columns, no sign on a value that
// shows as zero, asterisks when it does not fit.
std::string f_edit(float value, int w) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.3f", std::fabs(static_cast<double>(value)));
  bool minus = value < 0 && std::strspn(digits, "0.") != std::strlen(digits);
  std::string text = (minus ? "-" : "") + std::string(digits);
  const std::size_t width = static_cast<std::size_t>(w);
  if (text.size() > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

// A sample as read-KVB holds it: the decimal text rounded to double, then to float.
float stored(long micro) { return static_cast<float>(std::strtod(value_text(micro, 10).c_str(), nullptr)); }

// The CSV read-KVB writes for these N00, N90 and UP samples: every UP sample,
// rounded up to whole data lines of eight (the empty line kvb-split adds
// makes up for the eight read-KVB leaves out).
std::string expected_csv(const std::vector<long>& n00, const std::vector<long>& n90,
                         const std::vector<long>& up) {
  const long nt = 8 * static_cast<long>((up.size() + 7) / 8);
  auto at = [](const std::vector<long>& v, long i) { return i < static_cast<long>(v.size()) ? stored(v[static_cast<std::size_t>(i)]) : 0.0f; };
  std::string csv;
  const float dt = 0.005f;
  for (long i = 0; i < nt; ++i) {
    float t = static_cast<float>(static_cast<double>(i) * static_cast<double>(dt));
    csv += f_edit(t, 7) + "," + f_edit(at(n00, i), 10) + "," + f_edit(at(n90, i), 10) + "," +
           f_edit(at(up, i), 10) + "\n";
  }
  return csv;
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

RunResult run(const std::string& program, std::vector<std::string> args, const std::string& cwd,
              const std::string& input = "") {
  RunOptions o;
  o.argv = {program};
  o.argv.insert(o.argv.end(), args.begin(), args.end());
  o.cwd = cwd;
  o.stdin_bytes = input;
  return test_support::run(o);
}

void split_and_convert(const GenOptions& opt, const std::vector<GenChannel>& channels,
                       const std::vector<long>& n00, const std::vector<long>& n90, const std::vector<long>& up) {
  TempDir dir;
  dir.write("rec.v", volume_file(channels, opt));
  RunResult split = run(KVB_SPLIT, {"-o", "rec", "rec.v"}, dir.path());
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;

  RunResult conv = run(READ_KVB, {}, dir.file("rec"), "accel.csv\n");
  ASSERT_TRUE(conv.exited(0)) << conv.describe() << "\n" << conv.err;
  EXPECT_EQ("", conv.err);
  const std::string csv = dir.read("rec/accel.csv").value_or("(no CSV)");
  if (opt.volume == 2) {
    EXPECT_EQ(expected_csv(n00, n90, up), csv);
  } else {  // in g: the samples times 980.665
    std::string want;
    const long lines = static_cast<long>((up.size() + 7) / 8);
    auto at = [](const std::vector<long>& v, long i) {
      return i < static_cast<long>(v.size()) ? static_cast<double>(v[static_cast<std::size_t>(i)]) * 980.665e-6 : 0.0;
    };
    for (long i = 0; i < 8 * lines; ++i) {
      char row[80];
      std::snprintf(row, sizeof row, "%.3f,%.3f,%.3f,%.3f\n", static_cast<double>(i) * 0.005, at(n00, i),
                    at(n90, i), at(up, i));
      want += row;
    }
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

}  // namespace
