// The USGS SMC reader on generated files.
#include <gtest/gtest.h>

#include <cstdlib>

#include "generators/smc.h"
#include "read_format.h"
#include "readers/smc.h"

using namespace kvb;

namespace {

using namespace kvb_test;

// Values with both signs that fill their fields (touching), one of them zero.
std::vector<double> values(int count) {
  std::vector<double> v;
  for (int k = 0; k < count; ++k) v.push_back(k % 7 == 3 ? 0.0 : (k % 2 ? -1 : 1) * (1.2345 + k) * (k % 3 ? 10 : 0.01));
  return v;
}

double as_written(double v) { return std::strtod(smc_value(v).c_str(), nullptr); }

TEST(SmcReader, RecognisesItsFilesOnly) {
  std::vector<std::string> head = head_of(smc_file(values(9), {}));
  EXPECT_TRUE(kSmcFormat.recognise(head));
  SmcOptions uncorrected;
  uncorrected.volume = 1;
  EXPECT_TRUE(kSmcFormat.recognise(head_of(smc_file(values(9), uncorrected))));
  std::vector<std::string> reals = head;
  reals[11] = reals[17];  // a line of reals where the integers belong
  EXPECT_FALSE(kSmcFormat.recognise(reals));
  std::vector<std::string> csmip = head;
  csmip[0] = "Uncorrected Accelerogram Data             Processed: 02/13/12, CGS";
  EXPECT_FALSE(kSmcFormat.recognise(csmip));
}

TEST(SmcReader, ReadsEachLayout) {
  struct Case {
    const char* name;
    SmcOptions opt;
    int count;
    Axis axis;
    int azimuth;
    bool copied;  // data lines kept for a byte copy
  };
  SmcOptions quirks;  // values after the count, a NUL line, LF, stripped header
  quirks.values_after_count = 8;
  quirks.nul_line = true;
  quirks.pad = false;
  quirks.eol = "\n";
  SmcOptions up;
  up.component = "up";
  up.from_vertical = 0;
  up.azimuth = -32768;
  SmcOptions word;  // no angle slots: the word decides
  word.component = "90";
  word.from_vertical = -32768;
  SmcOptions pairs;
  pairs.volume = 1;
  pairs.pairs = true;
  for (const Case& c : std::vector<Case>{{"crlf-padded", {}, 203, Axis::kHorizontal, 360, true},
                                         {"quirks", quirks, 35, Axis::kHorizontal, 360, true},
                                         {"vertical", up, 16, Axis::kVertical, -1, true},
                                         {"word", word, 9, Axis::kHorizontal, 90, true},
                                         {"pairs", pairs, 12, Axis::kHorizontal, 360, false}}) {
    SCOPED_TRACE(c.name);
    std::vector<double> v = values(c.count);
    if (c.opt.pairs) {
      for (int k = 0; k < c.count; k += 2) v[static_cast<std::size_t>(k)] = 0.005 * k + (k % 4 ? 0.001 : 0);  // uneven
    }
    ReadResult r = read_as(kSmcFormat, smc_file(v, c.opt));
    ASSERT_EQ("", r.error);
    ASSERT_EQ(1u, r.channels.size());
    const Channel& ch = r.channels[0];
    std::vector<double> want;
    for (std::size_t k = c.opt.pairs ? 1 : 0; k < v.size(); k += c.opt.pairs ? 2 : 1) want.push_back(as_written(v[k]));
    EXPECT_EQ(want, ch.samples);
    EXPECT_EQ(c.opt.pairs ? 0.0 : 0.005, ch.interval);
    EXPECT_EQ(c.opt.pairs ? want.size() : 0u, ch.times.size());
    EXPECT_EQ(c.axis, ch.orientation.axis);
    EXPECT_EQ(c.azimuth, ch.orientation.azimuth);
    EXPECT_EQ(c.copied, !ch.data_lines.empty());
    EXPECT_EQ("SYN0", ch.station_code);
    EXPECT_EQ("Synthetic Flats", ch.station_name);
    EXPECT_EQ("1999-12-31 23:59:58.250", ch.start_time);
    ASSERT_TRUE(ch.stated_peak);
  }
}

TEST(SmcReader, RefusesWhatWouldLoseOrMisreadData) {
  struct Case {
    const char* name;
    SmcOptions opt;
    std::string error;
  };
  SmcOptions velocity;
  velocity.volume = 3;
  SmcOptions overstated;
  overstated.stated_count = 20;
  SmcOptions skew;
  skew.from_vertical = 45;
  skew.component = "skew";
  SmcOptions backwards;
  backwards.volume = 1;
  backwards.pairs = true;
  for (const Case& c :
       std::vector<Case>{{"velocity", velocity, "rec:1: not an acceleration record: '3 VELOCITY'"},
                         {"overstated", overstated, "rec:30: the header counts 20 values, the data end after 16"},
                         {"skew", skew, "rec:6: cannot tell the component's orientation from 'skew'"},
                         {"backwards", backwards, "rec:29: the times go back from 0.005 s to 0 s"}}) {
    SCOPED_TRACE(c.name);
    std::vector<double> v = values(16);
    if (c.opt.pairs) v = {0.0, 1.0, 0.005, 2.0, 0.0, 3.0, 0.01, 4.0};
    EXPECT_EQ(c.error, read_as(kSmcFormat, smc_file(v, c.opt)).error);
  }
}

}  // namespace
