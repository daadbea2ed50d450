// What each agency reader spends a sample: a file of every text format (and
// SAC) with three channels' worth of samples, made by the test generators,
// is read once inside read_once(), which bench/reader_bench.sh has callgrind
// count alone (--toggle-collect). Prints "FORMAT SAMPLES" for the script.
//   reader_cost FORMAT [POINTS]      POINTS a channel, 20000 by default
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "generators/afad.h"
#include "generators/bhrc.h"
#include "generators/cosmos.h"
#include "generators/csmip.h"
#include "generators/cwb.h"
#include "generators/esm.h"
#include "generators/geonet.h"
#include "generators/knet.h"
#include "generators/peer.h"
#include "generators/sac.h"
#include "generators/smc.h"
#include "generators/unam.h"
#include "readers/format.h"

namespace {

double wave(int k, int c) { return 50 * std::sin(0.05 * k + c) * (1 + k % 7) / 7; }  // cm/s²

std::vector<double> values(int n, int c, double scale = 1) {
  std::vector<double> v;
  for (int k = 0; k < n; ++k) v.push_back(std::round(wave(k, c) * scale * 1e4) / 1e4);
  return v;
}

std::vector<std::vector<double>> columns(int n) { return {values(n, 0), values(n, 1), values(n, 2)}; }

// The file of format name, and the samples it holds; empty for an unknown name.
std::string file_of(const std::string& name, int n, int& count) {
  using namespace kvb_test;
  count = 3 * n;
  if (name == "csmip-v2") {
    std::vector<GenChannel> ch;
    const char* words[] = {"360 Deg", "Up", "90 Deg"};
    for (int c = 0; c < 3; ++c) ch.push_back({c + 1, words[c], samples(n, c + 1, 99999999)});
    return volume_file(ch, GenOptions{});
  }
  if (name == "cosmos") {
    std::vector<CosmosChannel> ch = {{360, "360 deg", "", values(n, 0)},
                                     {90, "90 deg", "", values(n, 1)},
                                     {400, "Up", "", values(n, 2)}};
    CosmosOptions opt;
    opt.data = CosmosOptions::Data::kEightTen;
    return cosmos_file(ch, opt);
  }
  if (name == "afad") return afad_file(columns(n), AfadOptions{});
  if (name == "cwb") return cwb_file(columns(n), CwbOptions{});
  if (name == "unam") return unam_file(columns(n), UnamOptions{});
  if (name == "bhrc")
    return bhrc_file({{"L1", values(n, 0, 0.01)}, {"V2", values(n, 1, 0.01)}, {"T3", values(n, 2, 0.01)}},
                     BhrcOptions{});
  if (name == "geonet") {
    std::vector<GeonetComponent> ch(3);
    for (int c = 0; c < 3; ++c)
      for (double v : values(n, c)) ch[static_cast<std::size_t>(c)].tenths.push_back(std::lround(v * 100));
    ch[2].bearing = "Up";
    ch[2].direction = 0;
    return geonet_file(ch, GeonetOptions{});
  }
  count = n;  // the formats of one channel a file
  if (name == "esm") return esm_file(values(n, 0), EsmOptions{});
  if (name == "peer") return peer_file(values(n, 0, 1 / 980.665), PeerOptions{});
  if (name == "smc") return smc_file(values(n, 0), SmcOptions{});
  if (name == "knet") {
    std::vector<long> counts;
    for (int k = 0; k < n; ++k) counts.push_back(std::lround(wave(k, 0) * 1000));
    return knet_file(counts, KnetOptions{});
  }
  if (name == "sac") {
    std::vector<float> nm;
    for (double v : values(n, 0)) nm.push_back(static_cast<float>(v * 1e7));
    return sac_file(nm, SacOptions{});
  }
  return {};
}

}  // namespace

// Kept out of line: callgrind counts this call and what it calls.
extern "C" __attribute__((noinline)) std::size_t read_once(const std::string& text) {
  kvb::TextFile file("bench", text);
  std::vector<kvb::Channel> channels;
  kvb::recognised(text)->read(file, channels);
  return channels.size();
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: reader_cost FORMAT [POINTS]\n", stderr);
    return 2;
  }
  const int points = argc > 2 ? std::atoi(argv[2]) : 20000;
  int samples = 0;
  const std::string text = file_of(argv[1], points, samples);
  const kvb::AgencyFormat* format = text.empty() ? nullptr : kvb::recognised(text);
  if (!format || format->name != argv[1]) {
    std::fprintf(stderr, "reader_cost: no %s file made\n", argv[1]);
    return 1;
  }
  try {
    if (read_once(text) == 0) return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "reader_cost: %s\n", e.what());
    return 1;
  }
  std::printf("%s %d\n", argv[1], samples);
  return 0;
}
