// The USC reader on generated files.
#include <gtest/gtest.h>

#include "generators/usc.h"
#include "read_format.h"
#include "readers/usc.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<double> kG10 = {0.0, -0.049, 0.004, 1.5, -2.25, 0.5, 0.125};
const std::vector<double> kUneven = {0, 0.004, 0.009, 0.013, 0.017, 0.022, 0.026};

TEST(UscReader, ReadsPairsAndCorrectedChannels) {
  UscOptions pairs, corrected, up;
  pairs.times = kUneven;
  corrected.corrected = true;
  up.component = "UP";
  up.eol = "\n";
  const std::string file = usc_file(kG10, pairs) + usc_file(kG10, corrected) + usc_file(kG10, up);
  EXPECT_TRUE(kUscFormat.recognise(head_of(file)));
  EXPECT_TRUE(kUscFormat.recognise(head_of(usc_file(kG10, corrected))));
  ReadResult r = read_as(kUscFormat, file);
  ASSERT_EQ("", r.error);
  ASSERT_EQ(3u, r.channels.size());
  const struct {
    double factor, interval;
    std::vector<double> times;  // uneven pairs only
    int azimuth;
    const char* processing;
  } expected[] = {{98.0665, 0, kUneven, 352, "uncorrected"},
                  {1, 0.02, {}, 352, "corrected"},
                  {98.0665, 0.004, {}, -1, "uncorrected"}};  // pairs at an even step
  for (std::size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const Channel& ch = r.channels[k];
    ASSERT_EQ(kG10.size(), ch.samples.size());
    for (std::size_t i = 0; i < kG10.size(); ++i) EXPECT_NEAR(kG10[i] * expected[k].factor, ch.samples[i], 1e-9);
    EXPECT_EQ(expected[k].interval, ch.interval);
    EXPECT_EQ(expected[k].times, ch.times);
    EXPECT_EQ(expected[k].azimuth, ch.orientation.azimuth);
    EXPECT_EQ(expected[k].processing, ch.processing);
    EXPECT_EQ(std::to_string(k + 1), ch.number);
    EXPECT_EQ("0099", ch.station_code);
    EXPECT_NEAR(-118.42611, ch.longitude.value_or(0), 1e-5);
  }
  EXPECT_EQ(Axis::kVertical, r.channels[2].orientation.axis);
  EXPECT_EQ(242.3945, r.channels[1].stated_peak.value_or(0));
  EXPECT_EQ(6.7, r.channels[1].magnitude.value_or(0));
  EXPECT_EQ(-0.834, r.channels[1].initial_velocity_cm_s.value_or(0)) << "the velocity block's first value";
}

TEST(UscReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    UscOptions opt;
    std::string error;
  };
  UscOptions more, fewer, huge, back, zero, slow, unit, component;
  more.points = "6", fewer.points = "8", huge.points = "99999999";
  back.times = {0, 0.004, 0.008, 0.006};
  zero.corrected = true, zero.step = ".000";
  slow.corrected = true, slow.step = "99.";
  unit.units = "UNITS ARE SEC AND CM/SEC/SEC";
  component.component = "SIDEWAYS";
  for (const Case& c : std::vector<Case>{
           {"more pairs", more, "rec:29: more pairs than NO. OF POINTS 6"},
           {"fewer pairs", fewer, "rec:29: the header counts 8 pairs, the data end after 7"},
           {"huge count", huge, "rec:11: the NO. OF POINTS 99999999 is not a whole number from 1 to 2120"},
           {"times go back", back, "rec:28: the times go back from 0.008 s to 0.006 s"},
           {"zero step", zero, "rec:38: the sample interval 0 s is not between 1 µs and 10 s"},
           {"step too long", slow, "rec:38: the sample interval 99 s is not between 1 µs and 10 s"},
           {"not g/10", unit, "rec:12: expected 'UNITS ARE SEC AND G/10', found 'UNITS ARE SEC AND CM/SEC/SEC'"},
           {"component", component, "rec:7: cannot tell the orientation of 'SIDEWAYS'"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kUscFormat, usc_file(kG10, c.opt)).error);
  }
  // A time printed twice is one instant, its values' mean.
  UscOptions twice;
  twice.times = {0, 0.004, 0.004, 0.008, 0.013, 0.017, 0.021};
  ReadResult r = read_as(kUscFormat, usc_file(kG10, twice));
  ASSERT_EQ("", r.error);
  ASSERT_EQ(6u, r.channels[0].samples.size());
  EXPECT_NEAR((-0.049 + 0.004) / 2 * 98.0665, r.channels[0].samples[1], 1e-9);
}

}  // namespace
