// The ESM ASCII reader on generated files.
#include <gtest/gtest.h>

#include "generators/esm.h"
#include "read_format.h"
#include "readers/esm.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<double> kSamples = {0.25, -1.5, 0, 3.125, -0.000001};

TEST(EsmReader, RecognisesItsFilesOnly) {
  std::vector<std::string> head = head_of(esm_file(kSamples, {}));
  EXPECT_TRUE(kEsmFormat.recognise(head));
  head[0] = "EVENT: SYNTHETIC";
  EXPECT_FALSE(kEsmFormat.recognise(head));
}

TEST(EsmReader, ReadsSamplesUnitsAndChannel) {
  struct Case {
    const char* name;
    EsmOptions opt;
    double factor;
    int azimuth;  // -1 vertical
    std::string processing;
  };
  EsmOptions crlf, metres, up, raw;
  crlf.eol = "\r\n";
  metres.units = "m/s^2";
  up.stream = "HNZ", up.location = "00";
  raw.processing = "none";
  for (const Case& c : std::vector<Case>{{"plain", {}, 1, 90, "corrected"},
                                         {"CR LF", crlf, 1, 90, "corrected"},
                                         {"m/s²", metres, 100, 90, "corrected"},
                                         {"vertical at location 00", up, 1, -1, "corrected"},
                                         {"unprocessed", raw, 1, 90, "uncorrected"}}) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_as(kEsmFormat, esm_file(kSamples, c.opt));
    ASSERT_EQ("", r.error);
    ASSERT_EQ(1u, r.channels.size());
    const Channel& ch = r.channels[0];
    ASSERT_EQ(kSamples.size(), ch.samples.size());
    for (std::size_t k = 0; k < kSamples.size(); ++k) EXPECT_DOUBLE_EQ(kSamples[k] * c.factor, ch.samples[k]);
    EXPECT_EQ(0.005, ch.interval);
    EXPECT_EQ(c.opt.stream, ch.number);
    EXPECT_EQ(c.azimuth, ch.orientation.azimuth);
    EXPECT_EQ(c.opt.location, ch.location);
    EXPECT_EQ("XX", ch.network);
    EXPECT_EQ(c.processing, ch.processing);
    EXPECT_EQ(3.125, ch.stated_peak.value_or(0));
  }
}

TEST(EsmReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    EsmOptions opt;
    std::string error;
  };
  EsmOptions more, fewer, huge, velocity, unit, stream, tiny, slow;
  more.count = "4", fewer.count = "6", huge.count = "1E+300";
  velocity.data_type = "VELOCITY", velocity.units = "cm/s";
  unit.units = "counts";
  stream.stream = "HNX";
  tiny.interval = "1e-12", slow.interval = "1000";
  for (const Case& c : std::vector<Case>{
           {"more samples than NDATA", more, "rec:69: more samples than NDATA 4"},
           {"fewer samples than NDATA", fewer, "rec:30: the header counts 6 samples, the data hold 5"},
           {"NDATA 1E+300", huge, "rec:30: the sample count NDATA 1e+300 is not a whole number from 1 to 1685"},
           {"velocity", velocity, "rec:50: the file holds 'VELOCITY', not acceleration"},
           {"counts", unit, "rec:33: units 'counts' are not cm/s², m/s² or g"},
           {"stream", stream, "rec:32: cannot tell the orientation of the stream 'HNX'"},
           {"interval 1e-12", tiny, "rec:29: the sample interval 1e-12 s is not between 1 µs and 10 s"},
           {"interval 1000", slow, "rec:29: the sample interval 1000 s is not between 1 µs and 10 s"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kEsmFormat, esm_file(kSamples, c.opt)).error);
  }
}

}  // namespace
