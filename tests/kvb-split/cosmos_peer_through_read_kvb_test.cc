// Generated COSMOS and PEER files, split by kvb-split and converted by
// read-KVB: the CSV holds the generated samples in cm/s².
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generators/cosmos.h"
#include "generators/peer.h"
#include "through_read_kvb.h"

namespace {

using namespace kvb_test;
using Data = CosmosOptions::Data;

// Whole thousandths with both signs, below limit thousandths in magnitude.
std::vector<double> thousandths(int count, int seed, long limit) {
  std::vector<double> v;
  for (long k = 0; k < count; ++k)
    v.push_back(static_cast<double>((k * 7919 + seed * 104729L) % (2 * limit - 1) - (limit - 1)) / 1000);
  return v;
}

TEST(CosmosPeerThroughReadKvb, CosmosThreeChannelsInOneFile) {
  struct Case {
    const char* name;
    CosmosOptions opt;
    long limit;
    double factor;
  };
  CosmosOptions one, nine, ten;
  nine.data = Data::kEightNine, nine.units = 2, nine.six_reals = true, nine.eol = "\r\n";
  ten.data = Data::kEightTen, ten.csmip_end = true, ten.upper = true;  // data lines copied as they are
  for (const Case& c : std::vector<Case>{{"one value per line in cm/s²", one, 999'999, 1},
                                         {"8f9.6 in g, CR LF", nine, 9'999, 980.665},
                                         {"8F10.5 in cm/s², upper case", ten, 99'999, 1}}) {
    SCOPED_TRACE(c.name);
    std::vector<CosmosChannel> chans = {{90, "90 deg", "", thousandths(203, 1, c.limit)},
                                        {400, "Up", "", thousandths(203, 2, c.limit)},
                                        {360, "360 deg", "", thousandths(203, 3, c.limit)}};
    auto [split, csv] = split_and_convert({{"rec.V2c", cosmos_file(chans, c.opt)}}, {});
    ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
    EXPECT_EQ("", split.err);
    std::vector<std::vector<double>> cm;
    for (const CosmosChannel& ch : chans) {
      cm.emplace_back();
      for (double v : ch.values) cm.back().push_back(v * c.factor);
    }
    EXPECT_EQ(expected_csv(cm[2], cm[0], cm[1]), csv);
  }
}

TEST(CosmosPeerThroughReadKvb, CosmosOneFilePerChannelWithTheVerticalCodedNorth) {
  std::vector<double> e = thousandths(150, 4, 99'999), n = thousandths(150, 5, 99'999), z = thousandths(150, 6, 99'999);
  auto [split, csv] = split_and_convert({{"e.V1c", cosmos_file({{90, "90 Deg", "HNE", e}}, {})},
                                         {"z.V1c", cosmos_file({{0, "Other", "HNZ", z}}, {})},
                                         {"n.V1c", cosmos_file({{360, "360 Deg", "HNN", n}}, {})}},
                                        {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(n, e, z), csv);
}

TEST(CosmosPeerThroughReadKvb, PeerSetsOfThreeFiles) {
  struct Case {
    const char* h1;
    const char* h2;
    const char* v;
    bool west2;
    bool h2_north;
  };
  for (const Case& c : std::vector<Case>{{"BH100", "BH200", "BHZ00", false, false},  // no azimuth: H1 first
                                         {"67", "337", "UP", true, true}}) {         // 337 is nearer north
    SCOPED_TRACE(c.h1);
    std::vector<std::vector<double>> cm = {thousandths(101, 7, 999'999), thousandths(101, 8, 999'999),
                                           thousandths(101, 9, 999'999)};
    Files files;
    const char* components[3] = {c.h1, c.h2, c.v};
    for (std::size_t k = 0; k < 3; ++k) {
      std::vector<double> g;
      for (double v : cm[k]) g.push_back(v / 980.665);
      PeerOptions opt;
      opt.component = components[k], opt.west2 = c.west2, opt.eol = c.west2 ? "\n" : "\r\n";
      files.push_back({"RSN9_X_" + std::string(components[k]) + ".AT2", peer_file(g, opt)});
    }
    auto [split, csv] = split_and_convert(files, {});
    ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
    EXPECT_EQ("", split.err);
    EXPECT_EQ(c.h2_north ? expected_csv(cm[1], cm[0], cm[2]) : expected_csv(cm[0], cm[1], cm[2]), csv);
  }
}

}  // namespace
