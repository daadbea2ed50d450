// The miniSEED reader and its StationXML on generated files.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "generators/mseed.h"
#include "read_format.h"
#include "readers/mseed.h"
#include "temp_dir.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<double> kCounts = {0, 1200, -32000, 7, 31000, -5, 25000, -1};

MseedPiece piece(const std::string& channel, std::vector<double> counts = kCounts) {
  MseedPiece p;
  p.channel = channel;
  p.counts = std::move(counts);
  return p;
}

XmlChannel xml_channel(const std::string& channel) {
  XmlChannel c;
  c.channel = channel;
  return c;
}

ReadResult read_with(const std::string& bytes, const std::vector<XmlChannel>& xml) {
  ReadResult result;
  TextFile file("rec.mseed", bytes);
  try {
    read_mseed(file, read_stationxml("XX.STA.xml", stationxml(xml)), result.channels);
  } catch (const SplitError& e) { result.error = e.what(); }
  return result;
}

TEST(MseedReader, DecodesEveryEncodingInEitherByteOrderToCmS2) {
  for (int encoding : {kInt16, kInt32, kFloat32, kFloat64, kSteim1, kSteim2}) {
    for (bool big : {true, false}) {
      SCOPED_TRACE(std::to_string(encoding) + (big ? " big-endian" : " little-endian"));
      const std::string bytes = mseed_file({piece("HNE")}, {encoding, big, 512});
      EXPECT_EQ(&kMseedFormat, recognised(bytes));
      ReadResult r = read_with(bytes, {xml_channel("HNE")});
      ASSERT_EQ("", r.error);
      const Channel& ch = r.channels.at(0);
      ASSERT_EQ(kCounts.size(), ch.samples.size());
      for (std::size_t k = 0; k < kCounts.size(); ++k) EXPECT_DOUBLE_EQ(kCounts[k] / 213945 * 100, ch.samples[k]);
    }
  }
}

TEST(MseedReader, GivesTheChannelsFactsFromHeaderAndStationXml) {
  // Two records (256 bytes hold fewer than 600 STEIM2 samples), three channels,
  // HN1 and HN2 at the azimuths the StationXML gives, and a broadband left out.
  std::vector<double> many(600);
  for (std::size_t k = 0; k < many.size(); ++k) many[k] = std::round(20000 * std::sin(0.1 * static_cast<double>(k)));
  XmlChannel h1 = xml_channel("HN1"), h2 = xml_channel("HN2"), z = xml_channel("HNZ"), bb = xml_channel("HHZ");
  h1.azimuth = "37", h2.azimuth = "127", z.dip = "-90", bb.dip = "-90", bb.input_units = "M/S";
  ReadResult r =
      read_with(mseed_file({piece("HN1", many), piece("HN2"), piece("HNZ"), piece("HHZ")}, {kSteim2, true, 256}),
                {h1, h2, z, bb});
  ASSERT_EQ("", r.error);
  ASSERT_EQ(3u, r.channels.size());
  EXPECT_EQ(many.size(), r.channels[0].samples.size());
  EXPECT_EQ(37, r.channels[0].orientation.azimuth);
  EXPECT_EQ(127, r.channels[1].orientation.azimuth);
  EXPECT_EQ(Axis::kVertical, r.channels[2].orientation.axis);
  const Channel& ch = r.channels[0];
  EXPECT_EQ("XX", ch.network);
  EXPECT_EQ("STA", ch.station_code);
  EXPECT_EQ("Test Site", ch.station_name);
  EXPECT_EQ("", ch.location);
  EXPECT_EQ("HN1", ch.number);
  EXPECT_EQ("counts", ch.unit);
  EXPECT_EQ("uncorrected", ch.processing);
  EXPECT_EQ("XX.STA.xml", ch.response);
  EXPECT_EQ(0.01, ch.interval);
  EXPECT_EQ("2024-01-02T18:00:05.250Z", ch.start_iso);
  EXPECT_EQ(35.5, ch.latitude);
  EXPECT_EQ(-117.25, ch.longitude);
}

TEST(MseedReader, RefusesWhatItCannotTurnIntoAcceleration) {
  struct Case {
    const char* name;
    std::vector<MseedPiece> pieces;
    XmlChannel xml;
    std::string error;  // the message's start
  };
  MseedPiece later = piece("HNE"), overlapping = piece("HNE"), faster = piece("HNE"), still = piece("HNE");
  later.start = "2024-01-02T18:00:06.250000";  // 0.92 s after the first piece's last sample
  overlapping.start = "2024-01-02T18:00:05.300000";
  faster.start = "2024-01-02T18:00:05.330000", faster.rate = 200;
  still.rate = 0;
  MseedPiece crawling = still;
  crawling.rate = 0.001;
  XmlChannel other = xml_channel("HNN"), velocity = xml_channel("HNE"), zero = velocity, negative = velocity,
             nan = velocity, high = velocity, stages = velocity, bare = velocity;
  velocity.input_units = "M/S";
  zero.sensitivity = "0", negative.sensitivity = "-213945", nan.sensitivity = "NaN";
  high.frequency = "80";
  stages.stage_gains = {"1.0", "150000"};
  bare.input_units = "";
  for (const Case& c : std::vector<Case>{
           {"gap",
            {piece("HNE"), later},
            xml_channel("HNE"),
            "rec.mseed: XX.STA..HNE: a gap of 0.92 s from 2024-01-02T18:00:05.330000Z to 2024-01-02T18:00:06.250000Z"},
           {"overlap",
            {piece("HNE"), overlapping},
            xml_channel("HNE"),
            "rec.mseed: XX.STA..HNE: records overlap by 0.03 s at 2024-01-02T18:00:05.300000Z"},
           {"rate changes",
            {piece("HNE"), faster},
            xml_channel("HNE"),
            "rec.mseed: XX.STA..HNE: the sample rate changes from 100 to 200"},
           {"rate 0", {still}, xml_channel("HNE"), "rec.mseed: XX.STA..HNE: sample rate 0 at"},
           {"rate 0.001", {crawling}, xml_channel("HNE"), "rec.mseed: XX.STA..HNE: sample rate 0.001 at"},
           {"no response",
            {piece("HNE")},
            other,
            "rec.mseed: no StationXML gives the response of XX.STA..HNE at 2024-01-02T18:00:05.250000Z (counts "
            "cannot be turned into acceleration)"},
           {"velocity",
            {piece("HNE")},
            velocity,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml is of a sensor of 'M/S', not of acceleration"},
           {"sensitivity 0",
            {piece("HNE")},
            zero,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml gives the "
            "sensitivity 0, not a positive number"},
           {"negative",
            {piece("HNE")},
            negative,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml gives the "
            "sensitivity -213945,"},
           {"NaN",
            {piece("HNE")},
            nan,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml gives the sensitivity (none)"},
           {"above Nyquist",
            {piece("HNE")},
            high,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml states its sensitivity at 80 Hz, above the "
            "record's Nyquist frequency 50 Hz"},
           {"stages disagree",
            {piece("HNE")},
            stages,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml: its stages' gains multiply to 150000, not"},
           {"seismometer, no response",
            {piece("HHZ")},
            other,
            "rec.mseed: XX.STA..HHZ is a seismometer's channel (SEED instrument code H), not an accelerometer's"},
           {"no input unit",
            {piece("HNE")},
            bare,
            "rec.mseed: the response of XX.STA..HNE in XX.STA.xml gives no InstrumentSensitivity"},
       }) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_with(mseed_file(c.pieces), {c.xml});
    EXPECT_EQ(c.error, r.error.substr(0, c.error.size())) << r.error;
  }
}

TEST(MseedReader, RefusesCutAndForeignBytes) {
  const std::string whole = mseed_file({piece("HNE")});
  std::string overcounted = mseed_file({piece("HNE")}, {kInt32, true, 512});
  overcounted.replace(30, 2, "\x75\x70");  // 30064 samples in 456 bytes: libmseed would read past the record
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"cut record", whole.substr(0, 300), "rec.mseed: the miniSEED record at byte 0 is cut short"},
           {"text after", whole + std::string(100, 'x'), "rec.mseed: no miniSEED record at byte 512"},
           {"count past the record", overcounted,
            "rec.mseed: the miniSEED record at byte 0 cannot be decoded: it counts 30064 samples, more than its 456 "
            "bytes of data hold"},
       }) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_with(c.bytes, {xml_channel("HNE")}).error.substr(0, c.error.size()));
  }
  EXPECT_EQ("", read_with(whole + std::string(512, '\0'), {xml_channel("HNE")}).error) << "zero padding";
}

TEST(MseedReader, FindsItsStationXmlBesideIt) {
  test_support::TempDir dir;
  const std::string mseed = dir.path() + "/XX.STA..HNE.mseed";
  std::ofstream(mseed) << mseed_file({piece("HNE")});
  EXPECT_EQ(mseed + ": no StationXML gives the response of XX.STA..HNE",
            read_as(kMseedFormat, mseed_file({piece("HNE")}), mseed).error.substr(0, mseed.size() + 49));
  std::ofstream(dir.path() + "/other.xml") << "<html/>";
  std::ofstream(dir.path() + "/XX.STA.xml") << stationxml({xml_channel("HNE")});
  ReadResult r = read_as(kMseedFormat, mseed_file({piece("HNE")}), mseed);
  ASSERT_EQ("", r.error);
  EXPECT_EQ(dir.path() + "/XX.STA.xml", r.channels.at(0).response);
  EXPECT_EQ(&kStationXmlFormat, recognised(stationxml({xml_channel("HNE")})));
}

}  // namespace
