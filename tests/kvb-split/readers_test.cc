// What every reader gives besides samples (the record's identity), how the
// film pairs' times are read, and the header numbers each refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "generators/afad.h"
#include "generators/bhrc.h"
#include "generators/cosmos.h"
#include "generators/csmip.h"
#include "generators/cwb.h"
#include "generators/esm.h"
#include "generators/geonet.h"
#include "generators/knet.h"
#include "generators/peer.h"
#include "generators/sac.h"
#include "generators/smc.h"
#include "generators/unam.h"
#include "generators/usc.h"
#include "read_format.h"
#include "readers/afad.h"
#include "readers/bhrc.h"
#include "readers/cosmos.h"
#include "readers/csmip_v1.h"
#include "readers/csmip_v2.h"
#include "readers/cwb.h"
#include "readers/esm.h"
#include "readers/geonet.h"
#include "readers/identity.h"
#include "readers/knet.h"
#include "readers/peer.h"
#include "readers/sac.h"
#include "readers/smc.h"
#include "readers/unam.h"
#include "readers/usc.h"

using namespace kvb;

namespace {

using namespace kvb_test;

std::string text_of(const std::optional<double>& v) { return v ? std::to_string(*v) : "-"; }

// code|name|event|date|magnitude|start|record|processing|filter low-high|latitude longitude
std::string identity(const Channel& ch) {
  return ch.station_code + "|" + ch.station_name + "|" + ch.event + "|" + ch.event_date + "|" + text_of(ch.magnitude) +
         "|" + ch.start_iso + "|" + ch.record_id + "|" + ch.processing + "|" + text_of(ch.filter_low_hz) + "-" +
         text_of(ch.filter_high_hz) + "|" + text_of(ch.latitude) + " " + text_of(ch.longitude);
}

std::vector<GenChannel> three(bool pairs) {
  std::vector<GenChannel> chs = {{1, "360 Deg", samples(9, 1, 900)}, {2, "Up", samples(9, 2, 900)}};
  if (pairs) chs.push_back({3, "90 Deg", samples(9, 3, 900)});
  return chs;
}

TEST(Readers, GiveTheRecordsIdentity) {
  GenOptions v1;
  v1.volume = 1;
  GenOptions old_v2;
  old_v2.upper = true;
  SmcOptions smc;
  smc.volume = 1;
  KnetOptions knet;
  struct Case {
    const char* name;
    const AgencyFormat& format;
    std::string bytes;
    const char* path;
    std::string identity;
  };
  std::string pdt = volume_file(three(false), old_v2);
  pdt.replace(pdt.find("START TIME:  1/2/24, 18:00:00.0 UTC"), 35, "TRIGGER TIME: 01/02/24, 10:00: 0.5 PDT");
  pdt.replace(pdt.find("SYNTHETIC PROCESSING"), 20, "WHITTIER EARTHQUAKE ");
  pdt.replace(pdt.find("ML:  NONE."), 10, "ML=6.1(CIT)");
  const std::vector<double> g = {0.001, -0.002, 0.003};
  // Each format's station place, as its header writes it.
  auto with = [](std::string bytes, const std::vector<std::pair<std::string, std::string>>& changes) {
    for (const auto& [from, to] : changes) bytes.replace(bytes.find(from), from.size(), to);
    return bytes;
  };
  SacOptions placed;
  placed.latitude = 34.063694f, placed.longitude = -118.336334f;
  for (
      const Case& c : std::vector<Case>{
          {"csmip v2", kCsmipV2Format, volume_file(three(false), {}), "r.v2",
           "12345|Synthetic Creek|||-|2024-01-02T18:00:00.000Z||corrected|0.300000-40.000000|40.000000 -120.000000"},
          {"csmip v2, local zone", kCsmipV2Format, pdt, "r.v2",
           "12345|SYNTHETIC CREEK|WHITTIER EARTHQUAKE||6.100000|2024-01-02T10:00:00.500-07:00||corrected|"
           "0.300000-40.000000|40.000000 -120.000000"},
          {"csmip v1", kCsmipV1Format, volume_file(three(false), v1), "r.v1",
           "12345|Synthetic Creek|||-|2024-01-02T18:00:00.000Z||uncorrected|---|40.000000 -120.000000"},
          {"peer", kPeerFormat, peer_file(g, {}), "RSN77_SYN_SYN067.AT2",
           "|Synthetic Creek|Synthetic|2024-01-02|-||RSN77|corrected|---|- -"},
          {"smc", kSmcFormat, smc_file({1, 2, 3, 4, 5, 6, 7, 8}, smc), "r.smc",
           "SYN0|Synthetic Flats|Synthetic event|1999-12-31|6.100000|1999-12-31T23:59:58.250Z||uncorrected|---|- -"},
          {"cosmos", kCosmosFormat, cosmos_file({{360, "360 deg", "", {1, 2, 3}}}, {}), "r.v2c",
           "XX-SYN1|Synthetic Creek, CA|Synthetic Earthquake|2024-01-02|5.000000|2024-01-02T18:00:05.250Z||corrected|"
           "0.100000-40.000000|40.000000 -120.000000"},
          {"geonet", kGeonetFormat, geonet_file({{"S16W", 196, {1, 2, 3}}}, {}), "r.V2A",
           "SYNT|Synthetic District Council||2018-02-12|4.170000|2018-02-12T21:15:54.000Z||corrected|"
           "0.250000-24.500000|-39.943889 176.584444"},
          {"k-net", kKnetFormat, knet_file({1, 2, 3}, knet), "SYN0010203.NS",
           "SYN001|||2001-02-02|5.000000|2001-02-03T04:05:05.000+09:00||uncorrected|---|35.100000 139.100000"},
          {"esm", kEsmFormat, esm_file(g, {}), "XX.SYN1..HNE.D.20240102.180000.C.ACC.ASC",
           "SYN1|Town Hall,Synthetic|SYNTHETIC|2024-01-02|4.600000|2024-01-02T18:00:05.250Z||corrected|"
           "0.100000-30.000000|37.634900 22.729300"},
          {"cwb", kCwbFormat, cwb_file({g, g, g}, {}), "1-SYN.dat",
           "SYN|Synthetic||2024-01-02|6.000000|2024-01-03T02:00:05.250+08:00||uncorrected|---|22.381000 120.857000"},
          {"unam", kUnamFormat,
           with(unam_file({g, g, g}, {}), {{"LOCALIZACION DE LA ESTACION", "COORDENADAS DE LA ESTACION "},
                                           {"AV. SINTETICA", "16.84851 LAT. N"},
                                           {"ACAPULCO, GUERRERO.", "99.85157 LONG. W"}}),
           "SYNT2401.021",
           "SYNT|SYNTHETIC CENTRO||2024-01-02|7.100000|2024-01-02T18:14:18.000Z||uncorrected|---|16.848510 -99.851570"},
          {"sac", kSacFormat, sac_file({1e7f, -2e7f}, placed), "XX.SYN1.00.HNE.sac",
           "SYN1||SYNTHETIC EVENT|2024-01-02|5.500000|2024-01-02T18:00:05.250Z||uncorrected|---|34.063690 -118.336300"},
          {"bhrc", kBhrcFormat, bhrc_file({{"L1", g}}, {}), "9999-1.V1",
           "|Synthetic Town||2024-01-02|6.100000||9999/01|uncorrected|---|37.485000 45.891000"},
          {"afad", kAfadFormat, with(afad_file({g, g, g}, {}), {{"SYNTHETIC DEVLET", "AYD\xFDN DEVLET"}}),
           "20240102180000_0921.txt",  // ISO-8859-9: 0xFD is ı
           "0921|AYDıN DEVLET HASTANESI||2024-01-02|6.500000|2024-01-02T18:00:05.250Z||uncorrected|---|37.874700 "
           "27.592230"},
          {"usc", kUscFormat, usc_file(g, {}), "017m30cc.y0a",
           "0099|1 SYNTHETIC ROAD, SYNTHETIC TOWN, CA|SYNTHETIC EARTHQUAKE|2024-01-02|6.100000|||uncorrected|---|"
           "34.419167 -118.426111"},
      }) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_as(c.format, c.bytes, c.path);
    ASSERT_EQ("", r.error);
    EXPECT_EQ(c.identity, identity(r.channels[0]));
    EXPECT_FALSE(r.channels[0].initial_velocity_cm_s) << "none stated";
  }
  // A CSMIP Volume 2 may start moving: its header says so.
  std::string moving = pdt;
  moving.replace(moving.find("TEXT HEADER LINE 21"), 19, "INITIAL VELOCITY  =   -2.482   CM/SEC");
  ReadResult r = read_as(kCsmipV2Format, moving, "r.v2");
  ASSERT_EQ("", r.error);
  EXPECT_EQ(r.channels[0].initial_velocity_cm_s.value_or(0), -2.482);
}

TEST(Readers, ReadStationCoordinatesAsHeadersWriteThem) {
  const struct {
    const char* text;
    const char* place;  // "latitude longitude", or "" for none
  } cases[] = {
      {"   40.941N, 123.633W      Etna  s/n 2500", "40.941 -123.633"},
      {"Site WPWS      39 56 38S  176 35 04E     Basalt", "-39.9439 176.584"},
      {"34.063  -117.785   Site geology:", "34.063 -117.785"},
      {"12345 40.000N", ""},          // a station number is no degrees
      {"95.0N 10.0E", ""},            // beyond the pole
      {"10.0E 40.0N", ""},            // longitude first
      {"1.5  -190.25", ""},           // beyond ±180
      {"Station 12 34.5 north", ""},  // a lone decimal
  };
  for (const auto& c : cases) {
    std::string place;
    if (auto p = coordinates_in(c.text)) {
      char text[64];
      std::snprintf(text, sizeof text, "%g %g", p->latitude, p->longitude);
      place = text;
    }
    EXPECT_EQ(c.place, place) << c.text;
  }
}

// The film pairs: times in milliseconds, values in thousandths of g/10.
TEST(Readers, ReadFilmPairsRepeatedEvenAndBackwardTimes) {
  struct Case {
    const char* name;
    std::vector<long> ms;
    std::vector<long> values;
    double interval;               // 0: uneven
    std::vector<double> expected;  // thousandths of g/10; empty: refused
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"even 0.01 s steps (RENADIC)", {0, 10, 20, 30}, {1, 2, 3, 4}, 0.01, {1, 2, 3, 4}, ""},
           {"uneven", {0, 5, 9, 15}, {1, 2, 3, 4}, 0, {1, 2, 3, 4}, ""},
           {"a time printed twice is one instant", {0, 5, 10, 10, 16}, {1, 2, 3, 6, 5}, 0, {1, 2, 4.5, 5}, ""},
           {"three readings at one instant", {0, 5, 5, 5, 11}, {1, 3, 6, 9, 5}, 0, {1, 6, 5}, ""},
           {"repeated then even", {0, 5, 5, 10, 15}, {1, 2, 4, 5, 6}, 0.005, {1, 3, 5, 6}, ""},
           {"back", {0, 5, 4, 10}, {1, 2, 3, 4}, 0, {}, "rec.v1:28: the times go back from 0.005 s to 0.004 s"},
       }) {
    SCOPED_TRACE(c.name);
    GenOptions opt;
    opt.volume = 1, opt.pairs = true, opt.pair_ms = c.ms;
    ReadResult r = read_as(kCsmipV1Format, volume_file({{1, "NS", c.values}}, opt), "rec.v1");
    ASSERT_EQ(c.error, r.error);
    if (!c.error.empty()) continue;
    const Channel& ch = r.channels[0];
    ASSERT_EQ(c.expected.size(), ch.samples.size());
    for (std::size_t k = 0; k < c.expected.size(); ++k) EXPECT_NEAR(c.expected[k] * 0.0980665, ch.samples[k], 1e-9);
    EXPECT_DOUBLE_EQ(c.interval, ch.interval);
    EXPECT_EQ(c.interval > 0 ? 0u : c.expected.size(), ch.times.size());
  }
  // SMC, times to five significant digits: "2.2200E+1" twice.
  SmcOptions smc;
  smc.volume = 1, smc.pairs = true;
  ReadResult r = read_as(kSmcFormat, smc_file({22.198, 1, 22.2, 2, 22.2, 4, 22.203, 5}, smc));
  ASSERT_EQ("", r.error);
  EXPECT_EQ((std::vector<double>{1, 3, 5}), r.channels[0].samples);
  EXPECT_EQ((std::vector<double>{22.198, 22.2, 22.203}), r.channels[0].times);
}

TEST(Readers, TakeTheRenadicWords) {
  GenOptions opt;
  opt.volume = 1, opt.pairs = true, opt.pair_ms = {0, 10, 20};
  for (const char* words : {"NS V EW", "L Z T", "NS NZ EW"}) {
    std::vector<GenChannel> chs;
    std::string list = words;
    for (std::size_t at = 0, k = 1; at < list.size(); ++k) {
      std::size_t end = std::min(list.find(' ', at), list.size());
      chs.push_back({static_cast<int>(k), list.substr(at, end - at), {1, 2, 3}});
      at = end + 1;
    }
    ReadResult r = read_as(kCsmipV1Format, volume_file(chs, opt));
    ASSERT_EQ("", r.error) << words;
    EXPECT_EQ(Axis::kHorizontal, r.channels[0].orientation.axis) << words;
    EXPECT_EQ(Axis::kVertical, r.channels[1].orientation.axis) << words;
    EXPECT_EQ(Axis::kHorizontal, r.channels[2].orientation.axis) << words;
    EXPECT_DOUBLE_EQ(0.01, r.channels[0].interval) << words;
  }
}

// Header numbers that would be undefined behaviour, or memory, if believed.
TEST(Readers, RefuseHeaderNumbersTheyCannotUse) {
  struct Case {
    const char* name;
    const AgencyFormat& format;
    std::string bytes;
    std::function<void(std::string&)> edit;
    std::string error;
  };
  auto replace = [](const std::string& from, const std::string& to) {
    return [=](std::string& s) { s.replace(s.find(from), from.size(), to); };
  };
  const std::vector<double> g = {0.001, -0.002, 0.003};
  PeerOptions tiny, huge;
  tiny.interval = 1e-12, huge.interval = 1000;
  tiny.west2 = huge.west2 = false;
  SmcOptions smc;
  std::string ninth = volume_file(three(false), {});
  for (const Case& c : std::vector<Case>{
           {"cosmos integer 1E+300", kCosmosFormat, cosmos_file({{360, "360 deg", "", {1, 2}}}, {}),
            replace("     360", "  1E+300"),
            "rec:20: integer header value 54 is 1e+300, not a whole number of at most nine digits"},
           {"smc count 1E+300", kSmcFormat, smc_file({1, 2, 3}, smc),
            replace("\n         3    -32768", "\n    1E+300    -32768"),
            "rec:14: integer header value 17 is 1e+300, not a whole number of at most nine digits"},
           {"smc count past the file's size", kSmcFormat, smc_file({1, 2, 3}, smc),
            replace("\n         3    -32768", "\n  99999999    -32768"),
            "rec:14: the data value count (integer 17) 99999999 is not a whole number from 1 to 2259"},
           {"smc count past the data", kSmcFormat, smc_file({1, 2, 3}, smc),
            replace("\n         3    -32768", "\n      1000    -32768"),
            "rec:29: the header counts 1000 values, the data end after 3"},
           {"esm NDATA past the file's size", kEsmFormat, esm_file(g, {}), replace("NDATA: 3", "NDATA: 99999999"),
            "rec:30: the sample count NDATA 99999999 is not a whole number from 1 to 1668"},
           {"peer DT 1E-12", kPeerFormat, peer_file(g, tiny), nullptr,
            "rec:4: the sample interval 1e-12 s is not between 1 µs and 10 s"},
           {"peer DT 1000", kPeerFormat, peer_file(g, huge), nullptr,
            "rec:4: the sample interval 1000 s is not between 1 µs and 10 s"},
           {"csmip v2 ninth value", kCsmipV2Format, ninth,
            [](std::string& s) {
              s.insert(s.find('\n', s.find('\n', s.find("(8f10.6)")) + 1), "  1.000000");  // the first data line
            },
            "rec:48: more than 8 fields of 10 columns"},
       }) {
    SCOPED_TRACE(c.name);
    std::string bytes = c.bytes;
    if (c.edit) c.edit(bytes);
    EXPECT_EQ(c.error, read_as(c.format, bytes).error);
  }
}

}  // namespace
