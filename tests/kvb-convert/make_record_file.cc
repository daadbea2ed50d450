// Writes one synthetic agency file for the kvb-convert tests, made by the
// generators of the kvb-split tests:
//   make_record_file peer FILE COMPONENT STATION POINTS
//   make_record_file csmip FILE VOLUME STATION POINTS   (three channels)
//   make_record_file knet FILE DIRECTION STATION POINTS (K-NET N-S..., KiK-net 1 to 6)
//   make_record_file cosmos FILE VOLUME STATION POINTS  (three channels; Volume 0 or 2)
//   make_record_file mseed FILE LOC.CHA STATION POINTS  (one channel of network XX, 200 samples/s)
//   make_record_file stationxml FILE LOC.CHA,... STATION 0  (HH? and the like a seismometer's, in M/S)
//   make_record_file sac FILE CHANNEL - POINTS          (station SYN1, samples in g, no unit stated)
// STATION names the PEER station or numbers the CSMIP one (five digits).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "generators/cosmos.h"
#include "generators/csmip.h"
#include "generators/knet.h"
#include "generators/mseed.h"
#include "generators/peer.h"
#include "generators/sac.h"

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string peer(const char* component, const std::string& station, int points) {
  std::vector<double> g;
  for (int k = 0; k < points; ++k) g.push_back(0.1 * std::sin(0.05 * k) * (1 + k % 7) / 7);
  kvb_test::PeerOptions opt;
  opt.component = component;
  return replaced(kvb_test::peer_file(g, opt), "Synthetic Creek", station);
}

std::string csmip(int volume, const std::string& station, int points) {
  std::vector<kvb_test::GenChannel> channels;
  const char* orientations[] = {"360 Deg", "Up", "90 Deg"};
  for (int c = 0; c < 3; ++c)
    channels.push_back(
        {c + 1, orientations[c], kvb_test::samples(points, c + volume * 3, volume == 1 ? 90000 : 900000)});
  kvb_test::GenOptions opt;
  opt.volume = volume;
  return replaced(kvb_test::volume_file(channels, opt), "12345", station);
}

std::string knet(const char* direction, const std::string& station, int points) {
  std::vector<long> counts;
  for (int k = 0; k < points; ++k) counts.push_back(std::lround(2000 * std::sin(0.07 * k) * (1 + k % 5)));
  kvb_test::KnetOptions opt;
  opt.direction = direction;
  opt.rate = 200;
  return replaced(kvb_test::knet_file(counts, opt), "SYN001", station);
}

// Volume 0 counts of 1 µg (1 µV a count, 1 V/g), or Volume 2 in cm/s².
std::string cosmos(int volume, const std::string& station, int points) {
  std::vector<kvb_test::CosmosChannel> channels = {{360, "360 deg", "", {}},
                                                   {90, "90 deg", "", {}},
                                                   {400, "Up", "", {}}};
  for (std::size_t c = 0; c < channels.size(); ++c)
    for (int k = 0; k < points; ++k) {
      const double cm = std::round(100 * std::sin(0.05 * k + static_cast<double>(c)) * (1 + k % 7)) / 10;
      channels[c].values.push_back(volume == 0 ? std::round(cm / 980.665e-6) : cm);
    }
  kvb_test::CosmosOptions opt;
  opt.raw_counts = volume == 0;
  opt.lsb_uv = opt.sensitivity = 1;
  return replaced(kvb_test::cosmos_file(channels, opt), "SYN1", station);
}

// "10.HNE" -> {"10", "HNE"}.
std::pair<std::string, std::string> seed_code(const std::string& text) {
  const std::size_t dot = text.find('.');
  return {text.substr(0, dot), text.substr(dot + 1)};
}

std::string mseed(const std::string& code, const std::string& station, int points) {
  kvb_test::MseedPiece p;
  std::tie(p.location, p.channel) = seed_code(code);
  p.station = station, p.rate = 200;
  for (int k = 0; k < points; ++k) p.counts.push_back(std::round(40000 * std::sin(0.05 * k) * (1 + k % 7) / 7));
  return kvb_test::mseed_file({p});
}

std::string stationxml(const std::string& codes, const std::string& station) {
  std::vector<kvb_test::XmlChannel> channels;
  for (std::size_t at = 0; at <= codes.size();) {
    const std::size_t comma = std::min(codes.find(',', at), codes.size());
    kvb_test::XmlChannel c;
    std::tie(c.location, c.channel) = seed_code(codes.substr(at, comma - at));
    c.station = station;
    c.azimuth = c.channel.back() == 'N' ? "0" : "90";
    c.dip = c.channel.back() == 'Z' ? "-90" : "0";
    if (c.channel[1] == 'H') c.input_units = "M/S";
    channels.push_back(c);
    at = comma + 1;
  }
  return kvb_test::stationxml(channels);
}

// Samples in g where the header says nothing of the unit (IDEP IUNKN), as
// some networks write them.
std::string sac(const char* channel, int points) {
  std::vector<float> g;
  for (int k = 0; k < points; ++k) g.push_back(static_cast<float>(0.05 * std::sin(0.07 * k) * (1 + k % 5)));
  kvb_test::SacOptions opt;
  opt.channel = channel;
  opt.dependent = 5;
  return kvb_test::sac_file(g, opt);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs(
        "usage: make_record_file peer|csmip|knet|cosmos|mseed|stationxml|sac FILE COMPONENT|VOLUME STATION POINTS\n",
        stderr);
    return 2;
  }
  const int points = std::atoi(argv[5]);
  const std::string text = std::strcmp(argv[1], "sac") == 0          ? sac(argv[3], points)
                           : std::strcmp(argv[1], "mseed") == 0      ? mseed(argv[3], argv[4], points)
                           : std::strcmp(argv[1], "stationxml") == 0 ? stationxml(argv[3], argv[4])
                           : std::strcmp(argv[1], "peer") == 0       ? peer(argv[3], argv[4], points)
                           : std::strcmp(argv[1], "knet") == 0       ? knet(argv[3], argv[4], points)
                           : std::strcmp(argv[1], "cosmos") == 0     ? cosmos(std::atoi(argv[3]), argv[4], points)
                                                                     : csmip(std::atoi(argv[3]), argv[4], points);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
