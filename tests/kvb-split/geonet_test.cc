// The GeoNet V1A/V2A reader on generated files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "generators/geonet.h"
#include "read_format.h"
#include "readers/geonet.h"

using namespace kvb;

namespace {

using namespace kvb_test;

// Tenths of mm/s², both signs, some of five integer digits (fields touch).
std::vector<long> tenths(int count, int seed) {
  std::vector<long> v;
  for (int k = 0; k < count; ++k) v.push_back((k % 2 ? -1 : 1) * (k % 5 == 1 ? 105656 + seed : 10 * k + seed));
  return v;
}

std::vector<GeonetComponent> three(int count) {
  return {{"S16W", 196, tenths(count, 1)}, {"N28W", 332, tenths(count, 2)}, {"Up", 0, tenths(count, 3)}};
}

TEST(GeonetReader, RecognisesItsFilesOnly) {
  EXPECT_TRUE(kGeonetFormat.recognise(head_of(geonet_file(three(3), {}))));
  GeonetOptions v1a;
  v1a.corrected = false;
  EXPECT_TRUE(kGeonetFormat.recognise(head_of(geonet_file(three(3), v1a))));
  EXPECT_FALSE(
      kGeonetFormat.recognise({"Corrected accelerogram   89146-L2500-12044.02       Chan  1: 360 Deg     from"}));
}

TEST(GeonetReader, ReadsTheAccelerationOfEachComponent) {
  struct Case {
    const char* name;
    GeonetOptions opt;
    double factor;
    long second_line;  // where the second component starts
  };
  GeonetOptions v1a;  // readings in units of 2 mm/s², values without their decimals
  v1a.corrected = false;
  v1a.interval = 0.005;
  v1a.units = 2.0;
  for (const Case& c : std::vector<Case>{{"v2a", {}, 0.1, 34}, {"v1a", v1a, 0.2, 30}}) {
    SCOPED_TRACE(c.name);
    std::vector<GeonetComponent> components = three(23);
    components[1].tenths = tenths(25, 4);  // components may differ in length
    ReadResult r = read_as(kGeonetFormat, geonet_file(components, c.opt));
    ASSERT_EQ("", r.error);
    ASSERT_EQ(3u, r.channels.size());
    const int azimuths[] = {196, 332, -1};
    for (std::size_t k = 0; k < 3; ++k) {
      const Channel& ch = r.channels[k];
      std::vector<double> want;
      for (long v : components[k].tenths) want.push_back(static_cast<double>(v) / 10 * c.factor);
      ASSERT_EQ(want.size(), ch.samples.size());
      for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(want[i], ch.samples[i], 1e-9) << i;
      EXPECT_EQ(k == 2 ? Axis::kVertical : Axis::kHorizontal, ch.orientation.axis);
      EXPECT_EQ(azimuths[k], ch.orientation.azimuth);
      EXPECT_EQ(c.opt.interval, ch.interval);
      EXPECT_EQ(c.factor, ch.to_cm_s2);
      EXPECT_EQ("SYNT", ch.station_code);
      EXPECT_EQ("2018-02-12 21:15:54.000", ch.start_time);
      long peak = 0;
      for (long v : components[k].tenths) peak = std::max(peak, std::abs(v));
      EXPECT_NEAR(static_cast<double>(peak) / 10 * c.factor, ch.stated_peak.value_or(0), 1e-9);
    }
    EXPECT_EQ(c.second_line, r.channels[1].line);
  }
}

TEST(GeonetReader, TurnsBearingsIntoAzimuths) {
  struct Case {
    const char* bearing;
    int azimuth;
  };
  const std::vector<Case> cases = {{"S16W", 196}, {"N28W", 332}, {"S74E", 106}, {"N00E", 0},
                                   {"n45e", 45},  {"S90W", 270}, {"N5W", 355}};
  std::vector<GeonetComponent> components;
  for (const Case& c : cases) components.push_back({c.bearing, 0, tenths(3, 1)});
  ReadResult r = read_as(kGeonetFormat, geonet_file(components, {}));
  ASSERT_EQ("", r.error);
  ASSERT_EQ(cases.size(), r.channels.size());
  for (std::size_t k = 0; k < cases.size(); ++k) {
    EXPECT_EQ(cases[k].azimuth, r.channels[k].orientation.azimuth) << cases[k].bearing;
    EXPECT_EQ(Axis::kHorizontal, r.channels[k].orientation.axis) << cases[k].bearing;
  }
}

TEST(GeonetReader, RefusesFilesThatDisagreeWithTheirCounts) {
  struct Case {
    const char* name;
    std::string (*change)(std::string);
    std::string error;
  };
  for (const Case& c :
       std::vector<Case>{{"cut short", [](std::string f) { return f.substr(0, f.size() - 20); },
                          "rec:99: the file ends inside component 3's data"},
                         {"count too high",  // the first acceleration block runs into the velocity's
                          [](std::string f) { return f.replace(f.find("      23"), 8, "      24"); },
                          "rec:30: values past the 24 the header counts"},
                         {"bearing unknown", [](std::string f) { return f.replace(f.find("S16W"), 4, "Q16W"); },
                          "rec:13: cannot tell the component's orientation from 'Q16W'"},
                         {"escape", [](std::string f) { return f.replace(f.find("Site"), 1, "\x1b"); }, ""}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kGeonetFormat, c.change(geonet_file(three(23), {}))).error);
  }
}

}  // namespace
