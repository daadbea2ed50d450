// The BHRC Volume 1 reader on generated files.
#include <gtest/gtest.h>

#include "generators/bhrc.h"
#include "read_format.h"
#include "readers/bhrc.h"

using namespace kvb;

namespace {

using namespace kvb_test;

const std::vector<BhrcChannel> kChannels = {{"L1", {0.0114699, -0.5, 0, 0.25, 1, 2, 3, 4, 5, 6, 7}},
                                            {"V2", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -11}},
                                            {"T3", {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, 11}}};

TEST(BhrcReader, ReadsEachChannelInG10) {
  std::vector<std::string> head = head_of(bhrc_file(kChannels, {}));
  EXPECT_TRUE(kBhrcFormat.recognise(head));
  head[6] = "CHANNEL L1";
  EXPECT_FALSE(kBhrcFormat.recognise(head));

  BhrcOptions no_azimuths;
  no_azimuths.azimuths = "";
  no_azimuths.eol = "\n";
  for (const auto& [opt, azimuths] :
       std::vector<std::pair<BhrcOptions, std::vector<int>>>{{{}, {324, -1, 54}}, {no_azimuths, {-1, -1, -1}}}) {
    ReadResult r = read_as(kBhrcFormat, bhrc_file(kChannels, opt));
    ASSERT_EQ("", r.error);
    ASSERT_EQ(3u, r.channels.size());
    for (std::size_t k = 0; k < 3; ++k) {
      const Channel& ch = r.channels[k];
      ASSERT_EQ(kChannels[k].g10.size(), ch.samples.size());
      for (std::size_t i = 0; i < ch.samples.size(); ++i)
        EXPECT_NEAR(kChannels[k].g10[i] * 98.0665, ch.samples[i], 1e-9);
      EXPECT_EQ(0.005, ch.interval);
      EXPECT_EQ(azimuths[k], ch.orientation.azimuth);
      EXPECT_EQ(k == 1 ? Axis::kVertical : Axis::kHorizontal, ch.orientation.axis);
      EXPECT_EQ(std::to_string(k + 1), ch.number);
    }
  }
}

TEST(BhrcReader, RefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    BhrcOptions opt;
    std::string error;
  };
  BhrcOptions more, fewer, huge, tiny, slow;
  more.points = "10", fewer.points = "12", huge.points = "1E+300";
  tiny.duration = "1e-12", slow.duration = "99999";
  for (const Case& c : std::vector<Case>{
           {"more samples", more, "rec:29: more samples than NO. OF POINTS 10"},
           {"fewer samples", fewer, "rec:11: the header counts 12 samples, the data hold 11"},
           {"count 1E+300", huge, "rec:11: the NO. OF POINTS 1e+300 is not a whole number from 1 to 4587"},
           {"tiny interval", tiny, "rec:11: the sample interval 9.09091e-14 s is not between 1 µs and 10 s"},
           {"huge interval", slow, "rec:11: the sample interval 9090.82 s is not between 1 µs and 10 s"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.error, read_as(kBhrcFormat, bhrc_file(kChannels, c.opt)).error);
  }
  // A COMP line too short for a component, read as BHRC all the same.
  std::string short_comp = bhrc_file({kChannels[0]}, {});
  short_comp.replace(short_comp.find("COMP L1"), 7, "CO");
  EXPECT_EQ("rec:7: no component after 'COMP'", read_as(kBhrcFormat, short_comp).error);
  std::string unended = bhrc_file({kChannels[0]}, {});
  unended.resize(unended.size() - 4);
  EXPECT_EQ("rec:29: the file ends before the channel's end line '/&'", read_as(kBhrcFormat, unended).error);
}

}  // namespace
