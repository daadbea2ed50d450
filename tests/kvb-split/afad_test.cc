// The Turkish AFAD/NSMN reader on generated files.
#include <gtest/gtest.h>

#include "generators/afad.h"
#include "read_format.h"
#include "readers/afad.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<std::vector<double>> kColumns = {{0.5, -13.2, 0}, {1.25, 2, -12.163827}, {-0.000001, 9.84, 3}};

TEST(AfadReader, RecognisesItsFilesOnly) {
  std::vector<std::string> head = head_of(afad_file(kColumns, {}));
  EXPECT_TRUE(kAfadFormat.recognise(head));
  head[0] = "STRONG GROUND MOTION RECORDS";
  EXPECT_FALSE(kAfadFormat.recognise(head));
}

TEST(AfadReader, ReadsEachColumnAsItsComponent) {
  struct Case {
    const char* name;
    AfadOptions opt;
    std::vector<int> azimuths;  // -1 vertical
  };
  AfadOptions lf, order;
  lf.eol = "\n";
  order.components = {"U-D", "N-S", "E-W"};
  for (const Case& c :
       std::vector<Case>{{"CR LF", {}, {0, 90, -1}}, {"LF", lf, {0, 90, -1}}, {"vertical first", order, {-1, 0, 90}}}) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_as(kAfadFormat, afad_file(kColumns, c.opt));
    ASSERT_NO_FATAL_FAILURE(expect_columns(r, kColumns, c.azimuths));
    for (std::size_t k = 0; k < 3; ++k) {
      const Channel& ch = r.channels[k];
      EXPECT_EQ(c.opt.components[k], ch.orientation_text);
      EXPECT_EQ(0.01, ch.interval);
      EXPECT_EQ("0921", ch.station_code);
      EXPECT_EQ("2024-01-02T18:00:05.250Z", ch.start_iso);
      EXPECT_EQ("2024-01-02", ch.event_date);
    }
    EXPECT_EQ(13.2, r.channels[0].stated_peak.value_or(0));
    EXPECT_EQ(12.163827, r.channels[1].stated_peak.value_or(0));
  }
}

TEST(AfadReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    AfadOptions opt;
    std::string error;
  };
  AfadOptions more, fewer, huge, tiny, slow, names;
  more.count = "2", fewer.count = "4", huge.count = "1E+300";
  tiny.interval = "1e-12", slow.interval = "1000";
  names.components = {"N-S", "E-W", "X-Y"};
  for (const Case& c : std::vector<Case>{
           {"more rows than NUMBER OF DATA", more, "rec:13: the header counts 2 samples, the data hold 3"},
           {"fewer rows", fewer, "rec:13: the header counts 4 samples, the data hold 3"},
           {"count 1E+300", huge, "rec:13: the NUMBER OF DATA 1e+300 is not a whole number from 1 to 883"},
           {"interval 1e-12", tiny, "rec:14: the sample interval 1e-12 s is not between 1 µs and 10 s"},
           {"interval 1000", slow, "rec:14: the sample interval 1000 s is not between 1 µs and 10 s"},
           {"unknown column", names, "rec:21: no line naming the components (N-S E-W U-D) after the header"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kAfadFormat, afad_file(kColumns, c.opt)).error);
  }
  std::string ragged = afad_file(kColumns, {});
  ragged.insert(ragged.size() - 2, " 7");
  EXPECT_EQ("rec:21: 4 numbers on a data line of 3 columns", read_as(kAfadFormat, ragged).error);
}

}  // namespace
