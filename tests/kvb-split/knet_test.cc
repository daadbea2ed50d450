// The K-NET/KiK-net reader on generated files.
#include <gtest/gtest.h>

#include "generators/knet.h"
#include "read_format.h"
#include "readers/knet.h"

using namespace kvb;

namespace {

using namespace kvb_test;

// Counts around an offset, as a recorder gives them.
std::vector<long> counts(int count) {
  std::vector<long> v;
  for (int k = 0; k < count; ++k) v.push_back(8000 + (k % 2 ? -1 : 1) * (k * 37 % 1000));
  return v;
}

TEST(KnetReader, RecognisesItsFilesOnly) {
  std::vector<std::string> head = head_of(knet_file(counts(8), {}));
  EXPECT_TRUE(kKnetFormat.recognise(head));
  head[5] = "Station Lat.      35.1000";
  EXPECT_FALSE(kKnetFormat.recognise(head));
}

TEST(KnetReader, ScalesTheCountsAndRemovesTheirMean) {
  KnetOptions opt;
  opt.rate = 200;
  opt.documented_labels = true;
  const std::vector<long> c = counts(203);
  ReadResult r = read_as(kKnetFormat, knet_file(c, opt), "SYN0010102030405.EW");
  ASSERT_EQ("", r.error);
  ASSERT_EQ(1u, r.channels.size());
  const Channel& ch = r.channels[0];
  double mean = 0;
  for (long v : c) mean += static_cast<double>(v) / static_cast<double>(c.size());
  const double factor = 3920.0 / 6182761.0;
  ASSERT_EQ(c.size(), ch.samples.size());
  for (std::size_t k = 0; k < c.size(); ++k)
    EXPECT_NEAR((static_cast<double>(c[k]) - mean) * factor, ch.samples[k], 1e-9);
  EXPECT_EQ(factor, ch.to_cm_s2);
  EXPECT_EQ(0.005, ch.interval);
  EXPECT_EQ("SYN001", ch.station_code);
  EXPECT_EQ("2001-02-03 04:05:05", ch.start_time);
  EXPECT_EQ(12.345, ch.stated_peak.value_or(0));
}

TEST(KnetReader, TellsDirectionLocationAndStart) {
  struct Case {
    std::string direction, path, record_time;
    Axis axis;
    int azimuth;
    std::string location, start;
  };
  const Axis h = Axis::kHorizontal, v = Axis::kVertical;
  for (const Case& c : std::vector<Case>{
           {"N-S", "X.NS", "2001/01/01 00:00:10", h, 0, "", "2000-12-31 23:59:55"},
           {"E-W", "X.EW", "2004/02/29 12:00:14", h, 90, "", "2004-02-29 11:59:59"},
           {"U-D", "X.UD", "2001/02/03 04:05:20", v, -1, "", "2001-02-03 04:05:05"},
           {"1", "X.NS1", "2001/02/03 04:05:20", h, 0, "borehole", "2001-02-03 04:05:05"},
           {"3", "X.UD1", "2001/02/03 04:05:20", v, -1, "borehole", "2001-02-03 04:05:05"},
           {"5", "X.EW2", "2001/02/03 04:05:20", h, 90, "surface", "2001-02-03 04:05:05"},
           {"6", "X.UD2", "2001/02/03 04:05:20", v, -1, "surface", "2001-02-03 04:05:05"},
           {"N-S", "X.NS2", "2001/02/03 04:05:20", h, 0, "surface", "2001-02-03 04:05:05"},
           {"E-W", "X.EW", "2001/02/03 04:05", h, 90, "", ""},  // no seconds: no start
       }) {
    SCOPED_TRACE(c.direction + " " + c.path);
    KnetOptions opt;
    opt.direction = c.direction;
    opt.record_time = c.record_time;
    ReadResult r = read_as(kKnetFormat, knet_file(counts(16), opt), c.path);
    ASSERT_EQ("", r.error);
    const Channel& ch = r.channels.at(0);
    EXPECT_EQ(c.axis, ch.orientation.axis);
    EXPECT_EQ(c.azimuth, ch.orientation.azimuth);
    EXPECT_EQ(c.location, ch.location);
    EXPECT_EQ(c.start, ch.start_time);
  }
}

TEST(KnetReader, RefusesWhatItCannotScaleOrPlace) {
  struct Case {
    const char* name;
    KnetOptions opt;
    std::string error;
  };
  KnetOptions zero;
  zero.scale_counts = 0;
  KnetOptions cut;
  cut.duration = 0.2;
  KnetOptions skew;
  skew.direction = "7\x1b";
  KnetOptions huge;  // a sample past the component field, refused at its own line
  huge.scale_gal = 200;
  huge.scale_counts = 1;
  for (const Case& c : std::vector<Case>{
           {"zero divisor", zero, "rec:14: no scale factor A(gal)/B in '3920(gal)/0'"},
           {"cut short", cut, "rec:19: the header's duration of '0.2' s needs 20 values, the data end after 16"},
           {"direction", skew, "rec:13: unknown direction '7\\x1b'"},
           {"too large", huge, "rec:19: the sample -107300 cm/s²"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kKnetFormat, knet_file(counts(16), c.opt)).error.substr(0, c.error.size()));
  }
}

}  // namespace
