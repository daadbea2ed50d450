// The COSMOS reader on generated files: layouts, units, orientation codes and
// the counts it checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generators/cosmos.h"
#include "read_format.h"
#include "readers/cosmos.h"

using namespace kvb;

namespace {

using namespace kvb_test;
using Data = CosmosOptions::Data;

// Values in thousandths, so that every layout writes them exactly; both signs,
// up to limit thousandths in magnitude.
std::vector<double> values(int count, long limit) {
  std::vector<double> v;
  for (long k = 0; k < count; ++k) v.push_back(static_cast<double>((k * 7919) % (2 * limit + 1) - limit) / 1000.0);
  return v;
}

TEST(CosmosReader, ReadsEachLayoutInEitherUnit) {
  struct Case {
    const char* name;
    CosmosOptions opt;
    long limit;
    double factor;
    bool copied;
  };
  CosmosOptions one, nine, ten;
  one.velocity = true;
  nine.data = Data::kEightNine, nine.units = 2, nine.six_reals = true, nine.eol = "\r\n";
  ten.data = Data::kEightTen, ten.csmip_end = true, ten.upper = true, ten.interval_ms = 10;
  for (const Case& c : std::vector<Case>{{"one value per line, lower-case e, velocity after", one, 1234567, 1, false},
                                         {"8f9.6 in g, touching, CR LF", nine, 9999, 980.665, false},
                                         {"8F10.5 in cm/s², upper case", ten, 99999, 1, true}}) {
    SCOPED_TRACE(c.name);
    std::vector<CosmosChannel> chans = {{360, "360 deg", "", values(42, c.limit)},
                                        {400, "Up", "", values(19, c.limit / 2)},
                                        {90, "90 deg", "", values(8, c.limit)}};
    std::string text = cosmos_file(chans, c.opt);
    ASSERT_TRUE(kCosmosFormat.recognise(head_of(text)));
    ReadResult r = read_as(kCosmosFormat, text);
    ASSERT_EQ("", r.error);
    ASSERT_EQ(3u, r.channels.size());
    for (std::size_t k = 0; k < 3; ++k) {
      const Channel& ch = r.channels[k];
      ASSERT_EQ(chans[k].values.size(), ch.samples.size());
      for (std::size_t i = 0; i < ch.samples.size(); ++i) {
        EXPECT_NEAR(chans[k].values[i] * c.factor, ch.samples[i], 1e-9 * c.factor) << k << ":" << i;
      }
      EXPECT_DOUBLE_EQ(c.opt.interval_ms / 1000, ch.interval);
      EXPECT_DOUBLE_EQ(c.factor, ch.to_cm_s2);
      EXPECT_EQ(std::to_string(k + 1), ch.number);
      EXPECT_EQ(c.copied ? (chans[k].values.size() + 7) / 8 : 0u, ch.data_lines.size());
    }
    EXPECT_EQ(Axis::kHorizontal, r.channels[0].orientation.axis);
    EXPECT_EQ(360, r.channels[0].orientation.azimuth);
    EXPECT_EQ(Axis::kVertical, r.channels[1].orientation.axis);
    EXPECT_EQ(90, r.channels[2].orientation.azimuth);
    EXPECT_EQ("XX-SYN1", r.channels[0].station_code);
    EXPECT_EQ(c.opt.upper ? "SYNTHETIC CREEK, CA" : "Synthetic Creek, CA", r.channels[0].station_name);
    EXPECT_EQ("2024-01-02 18:00:05.250", r.channels[0].start_time);
    EXPECT_EQ(1.0 * c.factor, r.channels[0].stated_peak.value_or(0));
    // Each channel starts on the line after the previous one's end line.
    long line = 1, channel = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1, ++line) {
      if (text.compare(at, 3, "Cor") == 0 || text.compare(at, 3, "COR") == 0) {
        EXPECT_EQ(line, r.channels[static_cast<std::size_t>(channel++)].line);
      }
    }
  }
}

TEST(CosmosReader, TakesTheOrientationFromCodeTextOrChannelCode) {
  struct Case {
    int code;
    const char* text;
    const char* scnl;
    Axis axis;
    int azimuth;
  };
  for (const Case& c : std::vector<Case>{
           {0, "Other", "BNZ", Axis::kVertical, -1},  // a vertical written with the code of north
           {0, "Up", "", Axis::kVertical, -1},
           {0, "360 deg", "HNZ", Axis::kHorizontal, 0},
           {0, "Other", "", Axis::kHorizontal, 0},
           {401, "Down", "", Axis::kVertical, -1},
           {700, "H1", "", Axis::kHorizontal, -1},
           {400, "340 deg", "", Axis::kVertical, -1},  // the code decides
           {-999, "20 Deg", "", Axis::kHorizontal, 20},
           {2000, "Other", "HNE", Axis::kHorizontal, 90},
       }) {
    SCOPED_TRACE(std::to_string(c.code) + " " + c.text);
    ReadResult r = read_as(kCosmosFormat, cosmos_file({{c.code, c.text, c.scnl, values(3, 1)}}, {}));
    ASSERT_EQ("", r.error);
    EXPECT_EQ(c.axis, r.channels[0].orientation.axis);
    EXPECT_EQ(c.azimuth, r.channels[0].orientation.azimuth);
  }
  // As long as the longest records distributed: 42000 values, one a line.
  ReadResult r = read_as(kCosmosFormat, cosmos_file({{0, "Other", "BNZ", values(42000, 999999)}}, {}));
  ASSERT_EQ("", r.error);
  EXPECT_EQ(42000u, r.channels[0].samples.size());
  EXPECT_EQ(Axis::kVertical, r.channels[0].orientation.axis);
}

TEST(CosmosReader, RefusesWhatItCannotConvertFaithfully) {
  struct Case {
    const char* want;
    CosmosOptions opt;
    int code = 360;
  };
  CosmosOptions fewer, more, counts, no_interval, disagree, unknown;
  fewer.stated_points = 11;
  more.stated_points = 9;
  more.data = Data::kEightTen;
  counts.units = 50;
  no_interval.interval_ms = -999;
  disagree.data_line_units = 2;
  for (const Case& c : std::vector<Case>{
           {"rec:59: the data end after 10 of the 11 acceleration values that line 48 announces", fewer},
           {"rec:50: more values than the 9 acceleration values that line 48 announces", more},
           {"rec:1: counts without a sensitivity: real header values 22 (µV a count) and 42 (V/g) must be set and "
            "positive, and 47 (gain) where set",
            counts},
           {"rec:1: no sample interval: real header value 62 (ms) is unset", no_interval},
           {"rec:48: units code 2 disagrees with integer header value 3 (4)", disagree},
           {"rec:1: cannot tell the channel's orientation: integer header value 54 is 2000, the text says 'Other'",
            unknown, 2000},
       }) {
    EXPECT_EQ(c.want, read_as(kCosmosFormat, cosmos_file({{c.code, "Other", "", values(10, 1)}}, c.opt)).error);
  }
  CosmosOptions in_g;
  in_g.units = 2;
  EXPECT_EQ(
      "rec:50: the sample -1.96133e+06 cm/s² does not fit in a 10-column field with three decimals "
      "(|value| below 10^6 cm/s², 10^5 when negative)",
      read_as(kCosmosFormat, cosmos_file({{360, "360 deg", "", {0.5, -2000.0, 0.5}}}, in_g)).error);
  std::string text = cosmos_file({{360, "360 deg", "", values(4, 1)}}, {});
  text.replace(text.find("e-03"), 1, "\x1b");
  EXPECT_EQ("rec:49: not a number: '  -1.000000\\x1b-03'", read_as(kCosmosFormat, text).error);
}

// Volume 0: counts less their mean, scaled by the recorder's bit, the
// sensor's sensitivity and the gain; refused without them or for another
// quantity's counts.
TEST(CosmosReader, ScalesVolumeZeroCountsBySensitivityAndGain) {
  const std::vector<double> counts = {-160876, -160942, -150000, -170812, -160863};
  double mean = 0;
  for (double c : counts) mean += c / 5;
  struct Case {
    const char* name;
    double lsb, sensitivity, gain;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"gain 1", 0.298024, 1.2553, 1, ""},
           {"gain 4", 0.298024, 1.2553, 4, ""},
           {"gain unset", 2.384, 2.5, -999, ""},
           {"no sensitivity", 0.298024, -999, 1, "rec:1: counts without a sensitivity"},
           {"zero bit", 0, 1.2553, 1, "rec:1: counts without a sensitivity"},
           {"negative gain", 0.298024, 1.2553, -2, "rec:1: counts without a sensitivity"},
       }) {
    SCOPED_TRACE(c.name);
    CosmosOptions opt;
    opt.raw_counts = true, opt.lsb_uv = c.lsb, opt.sensitivity = c.sensitivity, opt.gain = c.gain;
    ReadResult r = read_as(kCosmosFormat, cosmos_file({{90, "90 Deg", "", counts}}, opt));
    ASSERT_EQ(c.error, r.error.substr(0, c.error.size()));
    if (!c.error.empty()) continue;
    const Channel& ch = r.channels.at(0);
    const double factor = c.lsb * 1e-6 / c.sensitivity / (c.gain > 0 ? c.gain : 1) * 980.665;
    ASSERT_EQ(counts.size(), ch.samples.size());
    for (std::size_t k = 0; k < counts.size(); ++k) EXPECT_NEAR((counts[k] - mean) * factor, ch.samples[k], 1e-9);
    EXPECT_EQ("counts", ch.unit);
    EXPECT_EQ("uncorrected", ch.processing);
  }
  CosmosOptions velocity;
  velocity.raw_counts = true;
  std::string text = cosmos_file({{90, "90 Deg", "", counts}}, velocity);
  text.replace(text.find("\n       0       1      50"), 25, "\n       0       2      50");
  EXPECT_EQ("rec:1: counts of another quantity than acceleration (integer header value 2 is 2)",
            read_as(kCosmosFormat, text).error);
}

}  // namespace
