// The UNAM standard acceleration file reader on generated files.
#include <gtest/gtest.h>

#include "generators/unam.h"
#include "read_format.h"
#include "readers/unam.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<std::vector<double>> kColumns = {{0.5, -13.25, 0}, {1.25, 2, -1234.5678}, {-0.0001, 9.84, 3}};

TEST(UnamReader, RecognisesItsFilesOnly) {
  std::vector<std::string> head = head_of(unam_file(kColumns, {}));
  EXPECT_TRUE(kUnamFormat.recognise(head));
  head[3] = "ARCHIVO DE VELOCIDAD:";
  EXPECT_FALSE(kUnamFormat.recognise(head));
}

TEST(UnamReader, ReadsEachChannelAndTheDayOfItsStart) {
  struct Case {
    const char* name;
    UnamOptions opt;
    std::vector<int> azimuths;  // -1 vertical
    std::string start;
  };
  UnamOptions lf, bearings, before_midnight, after_midnight;
  lf.eol = "\n";
  bearings.directions = {"S10E", "N80E", "V"};
  before_midnight.origin_time = "00:00:10", before_midnight.first_sample = "23:59:55";
  after_midnight.origin_time = "23:59:58", after_midnight.first_sample = "00:00:02";
  for (const Case& c :
       std::vector<Case>{{"CR LF", {}, {-1, 0, 90}, "2024-01-02T18:14:18.000Z"},
                         {"LF, bearings", bearings, {170, 80, -1}, "2024-01-02T18:14:18.000Z"},
                         {"first sample the day before", before_midnight, {-1, 0, 90}, "2024-01-01T23:59:55.000Z"},
                         {"first sample the day after", after_midnight, {-1, 0, 90}, "2024-01-03T00:00:02.000Z"}}) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_as(kUnamFormat, unam_file(kColumns, c.opt));
    ASSERT_NO_FATAL_FAILURE(expect_columns(r, kColumns, c.azimuths));
    for (std::size_t k = 0; k < 3; ++k) {
      const Channel& ch = r.channels[k];
      EXPECT_EQ(0.005, ch.interval);
      EXPECT_EQ("SYNT", ch.station_code);
      EXPECT_EQ(c.start, ch.start_iso);
    }
    EXPECT_EQ(1234.5678, r.channels[1].stated_peak.value_or(0));
  }
}

TEST(UnamReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    UnamOptions opt;
    std::string error;
  };
  UnamOptions more, huge, tiny, slow, direction, units;
  more.count = "2", huge.count = "1E+300";
  tiny.interval = "1e-12", slow.interval = "1000";
  direction.directions = {"V", "N00E", "Q"};
  units.units = "cuentas";
  for (const Case& c : std::vector<Case>{
           {"fewer than the rows", more, "rec:29: the header counts 2 samples, the data hold 3"},
           {"count 1E+300", huge, "rec:29: the sample count of channel 1 1e+300 is not a whole number from 1 to 2099"},
           {"interval 1e-12", tiny, "rec:19: the sample interval 1e-12 s is not between 1 µs and 10 s"},
           {"interval 1000", slow, "rec:19: the sample interval 1000 s is not between 1 µs and 10 s"},
           {"direction", direction, "rec:17: unknown orientation 'Q' of channel 3"},
           {"units", units, "rec:32: units 'cuentas' are not gal"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kUnamFormat, unam_file(kColumns, c.opt)).error);
  }
}

}  // namespace
