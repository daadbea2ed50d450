// Writes the two inputs split_bench.sh measures kvb-split on, made by the
// test generators: a three-channel Volume 2 file at 0.005 s whose data lines
// kvb-split copies byte for byte (copy.V2, 13200 points a channel, the size
// of a long corrected record), and one at 0.02 s of 15000 points a channel
// that it resamples and windows (resample.V2). The samples stay within
// ±100 cm/s², the widest that "%.6f" fits in 10 columns. And a miniSEED
// recording of three channels of 100000 samples at 0.005 s (STEIM2, 512-byte
// records) with its StationXML (XX.STA..HN.mseed, XX.STA.xml).
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "generators/csmip.h"
#include "generators/mseed.h"

namespace {

bool write(const std::string& path, int points, double interval) {
  std::vector<kvb_test::GenChannel> channels;
  const char* orientations[] = {"360 Deg", "Up", "90 Deg"};
  for (int c = 0; c < 3; ++c) channels.push_back({c + 1, orientations[c], kvb_test::samples(points, c + 1, 99999999)});
  kvb_test::GenOptions opt;
  opt.interval = interval;
  const std::string bytes = kvb_test::volume_file(channels, opt);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok;
}

bool put(const std::string& path, const std::string& bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok;
}

bool write_mseed(const std::string& dir) {
  std::vector<kvb_test::MseedPiece> pieces;
  std::vector<kvb_test::XmlChannel> xml;
  for (const char* channel : {"HNE", "HNN", "HNZ"}) {
    kvb_test::MseedPiece p;
    p.channel = channel, p.rate = 200;
    for (int k = 0; k < 100000; ++k)
      p.counts.push_back(std::round(200000 * std::sin(0.02 * k + channel[2]) * std::exp(-k / 30000.0)));
    pieces.push_back(p);
    xml.emplace_back();
    xml.back().channel = channel, xml.back().dip = channel[2] == 'Z' ? "-90" : "0";
    xml.back().azimuth = channel[2] == 'N' ? "0" : "90";
  }
  return put(dir + "/XX.STA..HN.mseed", kvb_test::mseed_file(pieces)) &&
         put(dir + "/XX.STA.xml", kvb_test::stationxml(xml));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_split_input DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  if (!write(dir + "/copy.V2", 13200, 0.005) || !write(dir + "/resample.V2", 15000, 0.02) || !write_mseed(dir)) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
