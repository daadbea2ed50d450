// The PEER reader on generated files: both writing styles, the count line's
// variants, the component from line 2 or the file's name, and the checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generators/peer.h"
#include "read_format.h"
#include "readers/peer.h"

using namespace kvb;

namespace {

using namespace kvb_test;

std::vector<double> values(int count) {
  std::vector<double> v;
  for (int k = 0; k < count; ++k) v.push_back(static_cast<double>((k * 7919) % 2001 - 1000) * 1e-4);
  return v;
}

TEST(PeerReader, ReadsBothStylesAndTheComponent) {
  struct Case {
    const char* component;
    bool west2;
    const char* eol;
    bool pad;
    int count;
    const char* path;
    Axis axis;
    int azimuth;
    const char* number;
    const char* location;
  };
  for (const Case& c : std::vector<Case>{
           {"67", true, "\n", true, 14, "RSN1_X_GIL067.AT2", Axis::kHorizontal, 67, "67", ""},
           {"BH100", false, "\r\n", false, 16, "RSN2_IU.CCM.BH1.00.AT2", Axis::kHorizontal, -1, "BH1", "00"},
           {"BHZ00", false, "\r\n", false, 15, "x.AT2", Axis::kVertical, -1, "BHZ", "00"},
           {"180 (USGS STATION 117)", true, "\n", false, 10, "IELC180.AT2", Axis::kHorizontal, 180, "180", ""},
           {"UP", true, "\n", true, 3, "a.AT2", Axis::kVertical, -1, "UP", ""},
           {"?", true, "\n", true, 3, "RSN3_GIL-UP.AT2", Axis::kVertical, -1, "UP", ""},  // from the name
           {"?", true, "\n", true, 3, "dir/IELC270.AT2", Axis::kHorizontal, 270, "270", ""},
           // Letters and bearings, on line 2 or at the name's end after the station.
           {"N", true, "\r\n", true, 3, "RSN1180_CHICHI_CHY002-N.AT2", Axis::kHorizontal, 0, "N", ""},
           {"?", true, "\n", true, 3, "RSN1180_CHICHI_CHY002-W.AT2", Axis::kHorizontal, 270, "W", ""},
           {"S17E", true, "\n", true, 3, "x.AT2", Axis::kHorizontal, 163, "S17E", ""},
           {"?", true, "\n", true, 3, "RSN6893_DARFIELD_DFHSS73W.AT2", Axis::kHorizontal, 253, "S73W", ""},
           {"?", true, "\n", true, 3, "RSN1_X_GIL067.AT2", Axis::kHorizontal, 67, "067", ""},
           {"?", true, "\n", true, 3, "RSN1_X_CHY028N.AT2", Axis::kHorizontal, 0, "N", ""},
           {"?", true, "\n", true, 3, "RSN1_X_GILDWN.AT2", Axis::kVertical, -1, "DWN", ""},
           {"?", true, "\n", true, 3, "RSN1_X_GIL-V.AT2", Axis::kVertical, -1, "V", ""},
           {"WE (CWB)", true, "\n", true, 3, "x.AT2", Axis::kHorizontal, 270, "WE", ""},
           {"?", true, "\n", true, 3, "RSN1_X_X1290.AT2", Axis::kHorizontal, -2, "", ""},  // no azimuth ends 1290
       }) {
    SCOPED_TRACE(c.component);
    PeerOptions opt;
    opt.component = c.component, opt.west2 = c.west2, opt.eol = c.eol, opt.pad_last = c.pad;
    const std::vector<double> g = values(c.count);
    std::string text = peer_file(g, opt);
    ASSERT_TRUE(kPeerFormat.recognise(head_of(text)));
    ReadResult r = read_as(kPeerFormat, text, c.path);
    if (c.azimuth == -2) {
      EXPECT_NE("", r.error);
      continue;
    }
    ASSERT_EQ("", r.error);
    ASSERT_EQ(1u, r.channels.size());
    const Channel& ch = r.channels[0];
    ASSERT_EQ(g.size(), ch.samples.size());
    for (std::size_t i = 0; i < g.size(); ++i) EXPECT_NEAR(g[i] * 980.665, ch.samples[i], 1e-4) << i;
    EXPECT_DOUBLE_EQ(0.005, ch.interval);
    EXPECT_EQ("Synthetic Creek", ch.station_name);
    EXPECT_EQ(c.axis, ch.orientation.axis);
    EXPECT_EQ(c.azimuth, ch.orientation.azimuth);
    EXPECT_EQ(c.number, ch.number);
    EXPECT_EQ(c.location, ch.location);
    EXPECT_EQ(4u, ch.header_lines.size());
  }
}

TEST(PeerReader, ReadsEachFormOfTheCountLine) {
  for (const char* line :
       {"NPTS=   3, DT=   .0050 SEC,", "NPTS=3,DT=0.005 SEC", "npts =  3, dt = 0.005", "     3    .0050    NPTS, DT"}) {
    std::string text = peer_file(values(3), {});
    std::size_t at = text.find("NPTS");
    text.replace(at, text.find('\n', at) - at, line);
    ReadResult r = read_as(kPeerFormat, text);
    ASSERT_EQ("", r.error) << line;
    EXPECT_EQ(3u, r.channels[0].samples.size()) << line;
    EXPECT_DOUBLE_EQ(0.005, r.channels[0].interval) << line;
  }
}

TEST(PeerReader, RefusesCountsUnitsAndComponentsItCannotTrust) {
  auto with = [](long stated, const char* from, const char* to, const char* component = "67") {
    PeerOptions opt;
    opt.stated_points = stated, opt.component = component;
    std::string text = peer_file(values(7), opt);
    if (*from) text.replace(text.find(from), std::string(from).size(), to);
    return read_as(kPeerFormat, text, "rec.AT2").error;
  };
  EXPECT_EQ("rec.AT2:6: the file ends after 7 of the values NPTS= 8 on line 4 announces", with(8, "", ""));
  EXPECT_EQ("rec.AT2:6: more values than NPTS= 6 on line 4 (7 in the file)", with(6, "", ""));
  EXPECT_EQ(
      "rec.AT2:3: expected 'ACCELERATION TIME SERIES IN UNITS OF G', found 'VELOCITY TIME SERIES IN UNITS OF CM/SEC'",
      with(-1, "ACCELERATION TIME SERIES IN UNITS OF G", "VELOCITY TIME SERIES IN UNITS OF CM/SEC"));
  EXPECT_EQ("rec.AT2:3: units 'IN' are not g, cm/s² or m/s²", with(-1, "UNITS OF G", "UNITS OF IN"));
  EXPECT_EQ("rec.AT2:4: expected 'NPTS= N, DT= S SEC', found 'NPTS=      7, DT=   SEC,'", with(-1, ".0050", ""));
  EXPECT_EQ("rec.AT2:2: cannot tell the component's orientation from 'L\\x1b' nor from the file's name",
            with(-1, "", "", "L\x1b"));
  EXPECT_EQ(
      "rec.AT2:5: the sample 1.96133e+06 cm/s² does not fit in a 10-column field with three decimals "
      "(|value| below 10^6 cm/s², 10^5 when negative)",
      with(-1, "  -.1000000E+00", "   .2000000E+04"));
  EXPECT_EQ("rec.AT2:5: value after a blank field: '   .9160000E-01'", with(-1, "  -.1000000E+00", "               "));
}

TEST(PeerReader, ReadsTheOlderLayoutAndLineTwo) {
  struct Case {
    const char* name;
    bool older, one_per_line;
    const char* eol;
    const char* path;
    const char* event;
    const char* date;
    const char* station;
    const char* record_id;
  };
  for (const Case& c : std::vector<Case>{
           {"older, CR CR LF", true, false, "\r\r\n", "ARL360.AT2", "NORTHRIDGE", "1994-01-17", "ARLETA", ""},
           {"one value a line", true, true, "\r\n", "RSN960_NORTHR_ARL360.AT2", "NORTHRIDGE", "1994-01-17", "ARLETA",
            "RSN960"},
           {"NGA", false, false, "\n", "RSN1180_X.AT2", "Synthetic", "2024-01-02", "Synthetic Creek", "RSN1180"},
       }) {
    SCOPED_TRACE(c.name);
    PeerOptions opt;
    opt.older = c.older, opt.one_per_line = c.one_per_line, opt.eol = c.eol, opt.component = "360";
    opt.interval = 0.02;
    const std::vector<double> g = values(12);
    const std::string text = peer_file(g, opt);
    ASSERT_TRUE(kPeerFormat.recognise(head_of(text)));
    ReadResult r = read_as(kPeerFormat, text, c.path);
    ASSERT_EQ("", r.error);
    const Channel& ch = r.channels[0];
    ASSERT_EQ(g.size(), ch.samples.size());
    for (std::size_t i = 0; i < g.size(); ++i) EXPECT_NEAR(g[i] * 980.665, ch.samples[i], 1e-4) << i;
    EXPECT_DOUBLE_EQ(0.02, ch.interval);
    EXPECT_EQ(360, ch.orientation.azimuth);
    EXPECT_EQ(c.event, ch.event);
    EXPECT_EQ(c.date, ch.event_date);
    EXPECT_EQ(c.station, ch.station_name);
    EXPECT_EQ(c.record_id, ch.record_id);
    EXPECT_EQ("corrected", ch.processing);
  }
}

}  // namespace
