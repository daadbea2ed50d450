// Generated SMC, GeoNet, K-NET/KiK-net, ESM, AFAD, CWB, UNAM, SAC, BHRC and miniSEED files, split by kvb-split and
// converted by read-KVB: the CSV holds the generated samples in cm/s².
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "generators/afad.h"
#include "generators/bhrc.h"
#include "generators/cwb.h"
#include "generators/esm.h"
#include "generators/geonet.h"
#include "generators/knet.h"
#include "generators/mseed.h"
#include "generators/sac.h"
#include "generators/smc.h"
#include "generators/text.h"
#include "generators/unam.h"
#include "through_read_kvb.h"

namespace {

using namespace kvb_test;

// Samples of five significant digits with both signs, one of them zero.
std::vector<double> smc_samples(int count, int seed) {
  std::vector<double> v;
  for (int k = 0; k < count; ++k) {
    v.push_back(k % 9 == 4 ? 0.0 : (k % 2 ? -1 : 1) * (1.0 + 0.0137 * (k + seed)) * (k % 3 ? 100 : 10));
  }
  return v;
}

TEST(AgencyFormatsThroughReadKvb, SmcOneFilePerComponent) {
  SmcOptions n90, up, n00;
  n90.component = "90";
  n90.azimuth = 90;
  n90.values_after_count = 8;
  up.component = "up";
  up.from_vertical = 0;
  up.azimuth = -32768;
  up.nul_line = true;
  up.eol = "\n";
  up.pad = false;
  std::vector<double> a = smc_samples(203, 1), b = smc_samples(203, 2), c = smc_samples(203, 3);
  auto [split, csv] =
      split_and_convert({{"e.smc", smc_file(a, n90)}, {"z.smc", smc_file(b, up)}, {"n.smc", smc_file(c, n00)}}, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ("", split.err);
  EXPECT_EQ(expected_csv(c, a, b), csv);
}

TEST(AgencyFormatsThroughReadKvb, GeonetThreeComponentsOneFile) {
  std::vector<GeonetComponent> components = {{"S74E", 106, {}}, {"Up", 0, {}}, {"S16W", 196, {}}};
  std::vector<std::vector<double>> cm(3);
  for (std::size_t k = 0; k < 3; ++k) {
    for (long i = 0; i < 97; ++i) {
      long tenths = (i % 2 ? -1 : 1) * (i * 1237 + static_cast<long>(k) * 5) % 110000;
      components[k].tenths.push_back(tenths);
      cm[k].push_back(static_cast<double>(tenths) / 10 * 0.1);
    }
  }
  auto [split, csv] = split_and_convert({{"rec.V2A", geonet_file(components, {})}}, {"--keep-interval"});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_NE(std::string::npos, split.err.find("warning: the sample interval 0.02 s is kept")) << split.err;
  // S16W (16 degrees off north-south) is N00, S74E N90.
  EXPECT_EQ(expected_csv(cm[2], cm[0], cm[1]), csv);
}

TEST(AgencyFormatsThroughReadKvb, EsmOneFilePerStream) {
  Files files;
  std::vector<std::vector<double>> cm;
  for (const char* stream : {"HNE", "HNZ", "HNN"}) {
    EsmOptions opt;
    opt.stream = stream;
    cm.push_back(smc_samples(211, static_cast<int>(cm.size())));
    files.push_back({std::string("XX.SYN1..") + stream + ".D.20240102.180000.C.ACC.ASC", esm_file(cm.back(), opt)});
  }
  auto [split, csv] = split_and_convert(files, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[2], cm[0], cm[1]), csv);
}

TEST(AgencyFormatsThroughReadKvb, AfadThreeColumnsOneFile) {
  AfadOptions opt;
  opt.interval = "0.005";
  opt.components = {"U-D", "E-W", "N-S"};
  std::vector<std::vector<double>> cm = {smc_samples(199, 1), smc_samples(199, 2), smc_samples(199, 3)};
  auto [split, csv] = split_and_convert({{"20240102180000_0921.txt", afad_file(cm, opt)}}, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[2], cm[1], cm[0]), csv);
}

TEST(AgencyFormatsThroughReadKvb, CwbTimeAndThreeColumns) {
  CwbOptions opt;
  opt.rate = "200";
  std::vector<std::vector<double>> cm = {smc_samples(187, 4), smc_samples(187, 5), smc_samples(187, 6)};
  for (auto& column : cm)
    for (double& v : column) v = std::round(v * 1000) / 1000;  // 10.3 fields
  auto [split, csv] = split_and_convert({{"1-SYN.dat", cwb_file(cm, opt)}}, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[1], cm[2], cm[0]), csv);
}

TEST(AgencyFormatsThroughReadKvb, UnamChannelsInColumns) {
  std::vector<std::vector<double>> cm = {smc_samples(173, 7), smc_samples(173, 8), smc_samples(173, 9)};
  auto [split, csv] = split_and_convert({{"SYNT2401.021", unam_file(cm, {})}}, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[1], cm[2], cm[0]), csv);
}

TEST(AgencyFormatsThroughReadKvb, SacBothByteOrders) {
  Files files;
  std::vector<std::vector<double>> cm;
  for (const char* channel : {"HNZ", "HNN", "HNE"}) {
    SacOptions opt;
    opt.channel = channel;
    opt.delta = 0.005f;
    opt.big_endian = channel[2] == 'N';
    std::vector<float> nm;
    cm.emplace_back();
    for (double v : smc_samples(151, static_cast<int>(files.size()))) {
      nm.push_back(static_cast<float>(v * 1e7));
      cm.back().push_back(static_cast<double>(nm.back()) * 1e-7);
    }
    files.push_back({std::string("XX.SYN1.00.") + channel + ".sac", sac_file(nm, opt)});
  }
  auto [split, csv] = split_and_convert(files, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[1], cm[2], cm[0]), csv);
}

TEST(AgencyFormatsThroughReadKvb, MiniseedThreeChannelsOneFileWithItsStationXml) {
  std::vector<MseedPiece> pieces;
  std::vector<XmlChannel> xml;
  std::vector<std::vector<double>> cm;
  for (const char* channel : {"HNZ", "HNN", "HNE"}) {
    pieces.emplace_back();
    pieces.back().channel = channel, pieces.back().rate = 200;
    xml.emplace_back();
    xml.back().channel = channel, xml.back().dip = channel[2] == 'Z' ? "-90" : "0";
    cm.emplace_back();
    for (double v : smc_samples(151, static_cast<int>(cm.size()))) {
      pieces.back().counts.push_back(std::round(v * 2139.45));
      cm.back().push_back(pieces.back().counts.back() / 213945 * 100);
    }
  }
  auto [split, csv] =
      split_and_convert({{"XX.STA..HN.mseed", mseed_file(pieces)}, {"XX.STA.xml", stationxml(xml)}}, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[1], cm[2], cm[0]), csv);
}

TEST(AgencyFormatsThroughReadKvb, BhrcChannelsOneAfterAnother) {
  std::vector<BhrcChannel> channels = {{"L1", {}}, {"V2", {}}, {"T3", {}}};
  std::vector<std::vector<double>> cm(3);
  for (std::size_t c = 0; c < 3; ++c)
    for (double v : smc_samples(143, static_cast<int>(c))) {
      channels[c].g10.push_back(v / 98.0665);
      cm[c].push_back(std::stod(format("%12.6E", v / 98.0665)) * 98.0665);
    }
  BhrcOptions north;
  north.azimuths = "Azimuth L 0   T 90";
  auto [split, csv] = split_and_convert({{"9999-1.V1", bhrc_file(channels, north)}}, {});
  ASSERT_TRUE(split.exited(0)) << split.describe() << "\n" << split.err;
  EXPECT_EQ(expected_csv(cm[0], cm[2], cm[1]), csv);
}

// Counts about an offset; with A/B = 1/1000 the samples are whole thousandths of a gal.
std::vector<long> counts(int count, int seed) {
  std::vector<long> v;
  for (int k = 0; k < count; ++k) v.push_back(5000 + (k % 2 ? -1 : 1) * ((k * 389 + seed) % 4000));
  return v;
}

std::vector<double> gal(const std::vector<long>& counts) {
  double mean = 0;
  for (long c : counts) mean += static_cast<double>(c) / static_cast<double>(counts.size());
  std::vector<double> v;
  for (long c : counts) v.push_back((static_cast<double>(c) - mean) / 1000);
  return v;
}

TEST(AgencyFormatsThroughReadKvb, KnetAndKiknetChannels) {
  KnetOptions opt;
  opt.rate = 200;
  opt.scale_gal = 1;
  opt.scale_counts = 1000;
  Files files;
  std::vector<std::vector<long>> data;
  const char* dirs[] = {"1", "2", "3", "4", "5", "6"};
  const char* suffixes[] = {"NS1", "EW1", "UD1", "NS2", "EW2", "UD2"};
  for (int k = 0; k < 6; ++k) {
    opt.direction = dirs[k];
    data.push_back(counts(160 + 8 * k, k));
    files.push_back({std::string("SYN0010102030405.") + suffixes[k], knet_file(data.back(), opt)});
  }
  // Six channels: the surface's by default, the borehole's when asked, any
  // three by number or name; in any order of the files.
  const struct {
    std::vector<std::string> args;
    std::size_t first;  // of data: N-S, E-W, U-D
  } choices[] = {{{}, 3}, {{"--borehole"}, 0}, {{"--channels", "4,5,6"}, 3}, {{"--channels", "ns1,EW1,UD1"}, 0}};
  for (const auto& c : choices) {
    auto [run, csv] = split_and_convert(files, c.args);
    ASSERT_TRUE(run.exited(0)) << run.describe() << "\n" << run.err;
    EXPECT_EQ(expected_csv(gal(data[c.first]), gal(data[c.first + 1]), gal(data[c.first + 2])), csv);
    std::reverse(files.begin(), files.end());
  }
  auto [unnamed, none] = split_and_convert(files, {"--channels", "NS3,EW2,UD2"});
  EXPECT_TRUE(unnamed.exited(1)) << unnamed.describe();
  EXPECT_NE(std::string::npos, unnamed.err.find("--channels: no channel is named NS3:")) << unnamed.err;

  // K-NET's three, by their directions.
  Files knet;
  for (int k = 0; k < 3; ++k) {
    opt.direction = std::vector<std::string>{"E-W", "U-D", "N-S"}[static_cast<std::size_t>(k)];
    knet.push_back({"SYN0010102030405." + opt.direction.substr(0, 1) + opt.direction.substr(2),
                    knet_file(data[static_cast<std::size_t>(k)], opt)});
  }
  auto [k3, csv3] = split_and_convert(knet, {});
  ASSERT_TRUE(k3.exited(0)) << k3.describe() << "\n" << k3.err;
  EXPECT_EQ(expected_csv(gal(data[2]), gal(data[0]), gal(data[1])), csv3);
}

}  // namespace
