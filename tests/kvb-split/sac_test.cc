// The SAC binary reader on generated files.
#include <gtest/gtest.h>

#include "generators/sac.h"
#include "read_format.h"
#include "readers/sac.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<float> kNanometres = {2.5e5f, -1.5e7f, 0, 3.125e9f};

TEST(SacReader, RecognisesItsHeaderInEitherByteOrder) {
  SacOptions big, v7;
  big.big_endian = true;
  v7.version = 7;
  for (const SacOptions& opt : {SacOptions{}, big, v7}) EXPECT_TRUE(is_sac(sac_file(kNanometres, opt)));
  SacOptions v5;
  v5.version = 5;
  EXPECT_FALSE(is_sac(sac_file(kNanometres, v5)));
  EXPECT_FALSE(is_sac("EVENT_NAME: a text file\n"));
  EXPECT_EQ(&kSacFormat, recognised(sac_file(kNanometres, big)));
}

TEST(SacReader, ReadsSamplesOrientationAndStart) {
  struct Case {
    const char* name;
    SacOptions opt;
    std::string orientation;
    int azimuth;  // -1 vertical
  };
  SacOptions big, up, bearing, v7, early;
  big.big_endian = true;
  up.incidence = 0, up.channel = "HN3";
  bearing.incidence = 90, bearing.azimuth = 37.2f, bearing.channel = "HN1";
  v7.version = 7, v7.trailing = std::string(22 * 8, '\0');
  early.begin = -5.5f;
  for (const Case& c : std::vector<Case>{{"little-endian, channel code", {}, "HNE", 90},
                                         {"big-endian", big, "HNE", 90},
                                         {"CMPINC 0", up, "Up", -1},
                                         {"CMPAZ 37.2", bearing, "37", 37},
                                         {"version 7 and its footer", v7, "HNE", 90}}) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_as(kSacFormat, sac_file(kNanometres, c.opt));
    ASSERT_EQ("", r.error);
    const Channel& ch = r.channels.at(0);
    ASSERT_EQ(kNanometres.size(), ch.samples.size());
    for (std::size_t k = 0; k < kNanometres.size(); ++k) EXPECT_DOUBLE_EQ(kNanometres[k] * 1e-7, ch.samples[k]);
    EXPECT_EQ(0.01, ch.interval);
    EXPECT_EQ(c.orientation, ch.orientation_text);
    EXPECT_EQ(c.azimuth, ch.orientation.azimuth);
    EXPECT_EQ("XX", ch.network);
    EXPECT_EQ("00", ch.location);
    EXPECT_EQ("2024-01-02T18:00:05.250Z", ch.start_iso);
  }
  EXPECT_EQ("2024-01-02T17:59:59.500Z", read_as(kSacFormat, sac_file(kNanometres, early)).channels.at(0).start_iso);
}

TEST(SacReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    SacOptions opt;
    std::vector<float> samples;
    std::string error;
  };
  SacOptions counts, velocity, many, tiny, slow, trailing, code;
  counts.dependent = 50, velocity.dependent = 7;
  many.points = 1000000000;
  tiny.delta = 1e-12f, slow.delta = 1000;
  trailing.trailing = "junk";
  code.channel = "ABC";
  const std::vector<float> g = {0.04f, -0.03f, 1.0f};
  for (const Case& c : std::vector<Case>{
           {"counts", counts, kNanometres, "rec: the SAC file's samples are counts or of no stated unit (IDEP 50)"},
           {"velocity", velocity, kNanometres, "rec: the SAC file holds displacement or velocity (IDEP), not"},
           {"NPTS past the file", many, kNanometres, "rec: NPTS 1000000000 is not from 1 to the 4 samples"},
           {"DELTA 1e-12", tiny, kNanometres, "rec:1: the sample interval 1e-12 s is not between 1 µs and 10 s"},
           {"DELTA 1000", slow, kNanometres, "rec:1: the sample interval 1000 s is not between 1 µs and 10 s"},
           {"bytes after version 6's samples", trailing, kNanometres, "rec: 4 bytes after the NPTS samples"},
           {"no orientation", code, kNanometres, "rec: cannot tell the orientation from CMPINC, CMPAZ nor"},
           {"samples in g", {}, g, "rec: read in SAC's unit of acceleration (nm/s²) the peak is 1e-07 cm/s²"},
           {"too large", {}, {2e13f}, "rec: sample 1, 2e+06 cm/s², does not fit"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kSacFormat, sac_file(c.samples, c.opt)).error.substr(0, c.error.size()));
  }
}

TEST(SacReader, TakesTheUnitItIsToldWhereTheHeaderSaysNone) {
  struct Case {
    const char* name;
    const char* unit;  // --sac-unit, or null
    std::int32_t dependent;
    std::string error;  // empty: read in the unit, which the channel names
  };
  const std::vector<float> g = {0.04f, -0.03f, 1.0f};
  for (const Case& c : std::vector<Case>{
           {"IACC in g", "g", 8, ""},
           {"no unit, in m/s2", "m/s2", 5, ""},
           {"unset IDEP, in cm/s2", "cm/s2", -12345, ""},
           {"no unit, none told", nullptr, 5,
            "rec: the SAC file's samples are of no stated unit (IDEP 5); --sac-unit UNIT (g, m/s2, cm/s2, nm/s2) "
            "states the unit where they are acceleration"},
           {"IACC in g, none told", nullptr, 8, "the samples are in another (g, m/s²); --sac-unit UNIT"},
           {"velocity whatever told", "g", 7, "rec: the SAC file holds displacement or velocity"},
           {"g told of nm/s²", "nm/s2", 8, "rec: read in nm/s2 the peak is 1e-07 cm/s²"}}) {
    SCOPED_TRACE(c.name);
    const std::optional<SacUnit> unit = c.unit ? sac_unit_named(c.unit) : std::nullopt;
    ASSERT_EQ(c.unit != nullptr, unit.has_value());
    SacOptions opt;
    opt.dependent = c.dependent;
    read_sac_samples_in(unit);
    ReadResult r = read_as(kSacFormat, sac_file(g, opt));
    read_sac_samples_in(std::nullopt);
    if (!c.error.empty()) {
      EXPECT_NE(std::string::npos, r.error.find(c.error)) << r.error;
      continue;
    }
    ASSERT_EQ("", r.error);
    const Channel& ch = r.channels.at(0);
    EXPECT_EQ(std::string(c.unit) + " (--sac-unit)", ch.unit);
    for (std::size_t k = 0; k < g.size(); ++k) EXPECT_DOUBLE_EQ(g[k] * unit->to_cm_s2, ch.samples[k]);
  }
  EXPECT_EQ(980.665, sac_unit_named("g")->to_cm_s2);
  EXPECT_EQ(100, sac_unit_named("m/s2")->to_cm_s2);
}

}  // namespace
