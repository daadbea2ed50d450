// The Taiwan CWB reader on generated files.
#include <gtest/gtest.h>

#include "generators/cwb.h"
#include "read_format.h"
#include "readers/cwb.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<std::vector<double>> kColumns = {{0.5, -13.25, 0}, {1.25, 2, -1234.567}, {-0.001, 9.84, 3}};

TEST(CwbReader, RecognisesItsFilesOnly) {
  std::vector<std::string> head = head_of(cwb_file(kColumns, {}));
  EXPECT_TRUE(kCwbFormat.recognise(head));
  head[0] = "#Station Information";
  EXPECT_FALSE(kCwbFormat.recognise(head));
}

TEST(CwbReader, ReadsTheColumnsInTheirSequence) {
  struct Case {
    const char* name;
    CwbOptions opt;
    std::vector<int> azimuths;  // -1 vertical
  };
  CwbOptions crlf, order;
  crlf.eol = "\r\n";
  crlf.rate = "200";
  order.sequence = "Time N(+); E(+); U(+)";
  for (const Case& c : std::vector<Case>{{"plain", {}, {-1, 0, 90}},
                                         {"CR LF, 200 Hz", crlf, {-1, 0, 90}},
                                         {"vertical last", order, {0, 90, -1}}}) {
    SCOPED_TRACE(c.name);
    ReadResult r = read_as(kCwbFormat, cwb_file(kColumns, c.opt));
    ASSERT_NO_FATAL_FAILURE(expect_columns(r, kColumns, c.azimuths));
    for (std::size_t k = 0; k < 3; ++k) {
      const Channel& ch = r.channels[k];
      EXPECT_DOUBLE_EQ(1 / std::stod(c.opt.rate), ch.interval);
      EXPECT_EQ("SYN", ch.station_code);
      EXPECT_EQ("2024-01-03T02:00:05.250+08:00", ch.start_iso);
      EXPECT_EQ("2024-01-02", ch.event_date);  // 01:59:58 in Taiwan
    }
  }
}

TEST(CwbReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    CwbOptions opt;
    std::string error;
  };
  CwbOptions fast, slow, zero, counts, sequence, times;
  fast.rate = "1e12", slow.rate = "0.001", zero.rate = "0";
  counts.unit = "counts";
  sequence.sequence = "Time U(+); X(+); E(+)";
  times.time_step = 0.04;
  for (const Case& c : std::vector<Case>{
           {"rate 1e12", fast, "rec:16: the sample interval 1e-12 s is not between 1 µs and 10 s"},
           {"rate 0.001", slow, "rec:16: the sample interval 1000 s is not between 1 µs and 10 s"},
           {"rate 0", zero, "rec:16: no sampling rate in '0'"},
           {"counts", counts, "rec:17: units 'counts' are not gal"},
           {"sequence", sequence, "rec:21: unknown component 'X' in 'Time U(+); X(+); E(+)'"},
           {"times", times, "rec:24: the time 0.04 s is not 0.02 s after the first, as the rate of 50 Hz has it"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kCwbFormat, cwb_file(kColumns, c.opt)).error);
  }
  // A zone or a clock field out of range gives no start, and no fault.
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"StartTime(GMT+08)", "StartTime(GMT+-99999999999)"},
           {"2024/01/03-02:00:05.250", "2024/01/03-99999999999:00:05.250"}}) {
    std::string odd = cwb_file(kColumns, {});
    odd.replace(odd.find(from), from.size(), to);
    EXPECT_EQ("", read_as(kCwbFormat, odd).channels.at(0).start_iso) << to;
  }
  std::string touching = cwb_file(kColumns, {});
  touching.replace(touching.rfind("     3.000"), 10, "-12345.678");
  EXPECT_EQ(-12345.678, read_as(kCwbFormat, touching).channels.at(2).samples.back());
}

}  // namespace
