// Writes the seeds of kvb-split's fuzz targets, made by the test generators,
// into DIR/fuzz_split/ (byte 0 and one file) and DIR/fuzz_pipeline/ (four
// option bytes and the files of a record): every format, and headers that
// have gone wrong (numbers of 1E+300, tiny and huge intervals, repeated
// times). fuzz/run makes them afresh before each run.
//   fuzz_seeds DIR
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
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
#include "generators/mseed.h"
#include "generators/peer.h"
#include "generators/sac.h"
#include "generators/smc.h"
#include "generators/unam.h"
#include "generators/usc.h"

namespace {

using namespace kvb_test;

std::filesystem::path root;

void write(const std::string& target, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(root / target);
  std::ofstream(root / target / name, std::ios::binary) << bytes;
}

// Option bytes of fuzz_pipeline.
constexpr unsigned char kResample = 1, kKeep = 2, kAuto = 4;

// A record as its files: seeds of both targets, the pipeline's with each
// set of options.
void record(const std::string& name, const std::vector<std::string>& files, std::vector<unsigned char> options = {0}) {
  std::string joined;
  for (std::size_t k = 0; k < files.size(); ++k) {
    write("fuzz_split", name + (files.size() > 1 ? "-" + std::to_string(k + 1) : ""), '\0' + files[k]);
    joined += (k > 0 ? "\n--next file--\n" : "") + files[k];
  }
  for (unsigned char o : options)
    write("fuzz_pipeline", name + "-" + std::to_string(o), std::string{static_cast<char>(o), 0, 5, 0} + joined);
}

// s with from (which must be there) replaced by to.
std::string replaced(std::string s, const std::string& from, const std::string& to) {
  const std::size_t at = s.find(from);
  if (at == std::string::npos) {
    std::fprintf(stderr, "fuzz_seeds: no \"%s\" to replace\n", from.c_str());
    std::exit(1);
  }
  return s.replace(at, from.size(), to);
}

std::vector<double> wave(int n, double scale) {
  std::vector<double> v;
  for (int k = 0; k < n; ++k) v.push_back(scale * std::exp(-k / 60.0) * std::sin(k / 3.1));
  return v;
}

std::vector<long> whole(const std::vector<double>& v) { return std::vector<long>(v.begin(), v.end()); }

void csmip_seeds() {
  auto channels = [](int n) {
    return std::vector<GenChannel>{{1, "360 Deg", samples(n, 1, 100000)},
                                   {2, "90 Deg", samples(n, 2, 100000)},
                                   {3, "Up", samples(n, 3, 100000)}};
  };
  GenOptions v2, v1, pairs, slow, crlf;
  v1.volume = 1;
  pairs.volume = 1;
  pairs.pairs = true;
  slow.interval = 0.02;
  crlf.eol = "\r\n";
  crlf.dos_padding = 8;
  record("csmip-v2", {volume_file(channels(40), v2)}, {0, kAuto});
  record("csmip-v2-crlf", {volume_file(channels(13), crlf)});
  std::string latin1 = volume_file(channels(20), v2);  // a station name in Latin-1, as older files have
  for (std::size_t at; (at = latin1.find("Synthetic Creek")) != std::string::npos;)
    latin1.replace(at, 15,
                   "Pe\xf1"
                   "a Creek");
  record("csmip-v2-latin1-station", {latin1});
  record("csmip-v1", {volume_file(channels(30), v1)});
  record("csmip-v1-pairs", {volume_file(channels(25), pairs)}, {kResample, kKeep});
  record("csmip-v2-0.02s", {volume_file(channels(30), slow)}, {0, kResample, kKeep});
  // Film pairs stepping by 1 ms to a last time of 1000 s: a grid of 10^6.
  const std::vector<long> micro = channels(25)[0].micro;
  std::string pairs_made, long_grid;
  for (const std::string& line : pair_lines(micro)) pairs_made += line + "\n";
  for (std::size_t k = 0; k < micro.size(); ++k) {
    char time[16];
    std::snprintf(time, sizeof time, k + 1 < micro.size() ? "   .%03zu" : "999.999", k);
    long_grid += time + pair_lines({micro[k]})[0].substr(7) + (k % 5 == 4 ? "\n" : "");
  }
  record("csmip-v1-pairs-1ms-to-1000s", {replaced(volume_file(channels(25), pairs), pairs_made, long_grid)},
         {kResample, kKeep, kResample | kAuto});
  GenOptions tiny = v2, huge = v2;
  tiny.interval = 1e-7;
  huge.interval = 50;
  record("csmip-v2-interval-0", {volume_file(channels(20), tiny)}, {kResample, kKeep});
  record("csmip-v2-interval-50s", {volume_file(channels(20), huge)}, {kResample, kKeep | kAuto});
}

void cosmos_seeds() {
  const std::vector<CosmosChannel> channels = {{360, "360 deg", "", wave(30, 80)},
                                               {90, "90 deg", "", wave(30, 60)},
                                               {400, "Up", "", wave(30, 40)}};
  CosmosOptions one, eight;
  eight.data = CosmosOptions::Data::kEightTen;
  eight.csmip_end = true;
  record("cosmos", {cosmos_file(channels, one)}, {0, kAuto});
  record("cosmos-8f10", {cosmos_file(channels, eight)});
  auto hostile = channels;
  hostile[0].code = 359;
  record("cosmos-code-1e300", {replaced(cosmos_file(hostile, one), "     359", "  1E+300")});
  CosmosOptions tiny, huge;
  tiny.interval_ms = 1e-6;
  huge.interval_ms = 1e6;
  record("cosmos-interval-tiny", {cosmos_file(channels, tiny)}, {kResample, kKeep});
  record("cosmos-interval-huge", {cosmos_file(channels, huge)}, {kResample, kKeep});
  CosmosOptions v0, no_sensitivity;
  v0.raw_counts = true;
  no_sensitivity.raw_counts = true;
  no_sensitivity.sensitivity = -999;
  auto counts = channels;
  for (auto& ch : counts)
    for (double& v : ch.values) v = std::round(v * 5000 - 160000);
  record("cosmos-v0", {cosmos_file(counts, v0)}, {0, kAuto});
  record("cosmos-v0-no-sensitivity", {cosmos_file(counts, no_sensitivity)});
}

void peer_seeds() {
  auto files = [](PeerOptions opt) {
    std::vector<std::string> three;
    for (const char* c : {"67", "157", "UP"}) {
      opt.component = c;
      three.push_back(peer_file(wave(40, 0.2), opt));
    }
    return three;
  };
  PeerOptions west2, plain;
  plain.west2 = false;
  plain.interval = 0.01;
  record("peer-west2", files(west2));
  record("peer-plain-0.01s", files(plain), {0, kResample, kKeep});
  for (double dt : {1e-12, 1000.0, 100000.0}) {
    plain.interval = dt;
    char name[40];
    std::snprintf(name, sizeof name, "peer-dt-%g", dt);
    record(name, files(plain), {kResample, kKeep});
  }
}

void smc_seeds() {
  auto files = [](SmcOptions opt, const std::vector<double>& values = wave(30, 50)) {
    std::vector<std::string> three;
    for (int k = 0; k < 3; ++k) {
      opt.component = k == 0 ? "360" : k == 1 ? "90" : "up";
      opt.azimuth = k == 0 ? 360 : 90;
      opt.from_vertical = k == 2 ? 0 : 90;
      three.push_back(smc_file(values, opt));
    }
    return three;
  };
  // Film pairs: times every 10 ms, every 0.1 µs, and every 1 µs to 100 s.
  auto film = [&](double step, double last) {
    SmcOptions opt;
    opt.volume = 1;
    opt.pairs = true;
    std::vector<double> pairs;
    for (double v : wave(30, 50)) {
      pairs.push_back(pairs.size() + 2 < 60 ? static_cast<double>(pairs.size() / 2) * step : last);
      pairs.push_back(v);
    }
    return files(opt, pairs);
  };
  SmcOptions v2, fast;
  fast.rate = 1e12;
  record("smc", files(v2), {0, kAuto});
  record("smc-film-pairs", film(0.01, 0.29), {kResample, kKeep});
  record("smc-film-pairs-step-1e-7", film(1e-7, 29e-7), {kResample, kKeep});
  record("smc-film-pairs-1us-to-100s", film(1e-6, 100), {kResample, kKeep | kAuto});
  record("smc-rate-1e12", files(fast), {kResample, kKeep});
  SmcOptions counted;
  counted.stated_count = 98765;
  auto hostile = files(v2);
  hostile[0] = replaced(smc_file(wave(30, 50), counted), "     98765", "    1E+300");
  record("smc-count-1e300", hostile);
}

void geonet_seeds() {
  auto components = [] {
    return std::vector<GeonetComponent>{{"N28W", 332, whole(wave(30, 500))},
                                        {"N62E", 62, whole(wave(30, 400))},
                                        {"Up", 0, whole(wave(30, 300))}};
  };
  GeonetOptions v2a, v1a, tiny;
  v1a.corrected = false;
  tiny.interval = 1e-9;
  record("geonet-v2a", {geonet_file(components(), v2a)}, {kResample, kKeep});
  record("geonet-v1a", {geonet_file(components(), v1a)}, {kResample});
  record("geonet-interval-tiny", {geonet_file(components(), tiny)}, {kResample, kKeep});
}

void knet_seeds() {
  auto files = [](KnetOptions opt) {
    std::vector<std::string> three;
    for (const char* d : {"N-S", "E-W", "U-D"}) {
      opt.direction = d;
      three.push_back(knet_file(whole(wave(50, 20000)), opt));
    }
    return three;
  };
  KnetOptions knet, fast;
  fast.rate = 1000000000;
  record("knet", files(knet), {kResample, kKeep, kResample | kAuto});
  record("knet-rate-1e9", files(fast), {kResample, kKeep});
}

void esm_seeds() {
  auto files = [](EsmOptions opt) {
    std::vector<std::string> three;
    for (const char* stream : {"HNE", "HNN", "HNZ"}) {
      opt.stream = stream;
      three.push_back(esm_file(wave(40, 30), opt));
    }
    return three;
  };
  EsmOptions esm, crlf, tiny, huge;
  crlf.eol = "\r\n";
  crlf.processing = "none";
  tiny.interval = "1e-12";
  huge.count = "1E+300";
  record("esm", files(esm), {0, kAuto});
  record("esm-crlf-unprocessed", files(crlf));
  record("esm-interval-tiny", files(tiny), {kResample, kKeep});
  record("esm-ndata-1e300", files(huge));
}

void afad_seeds() {
  const std::vector<std::vector<double>> columns = {wave(40, 13), wave(40, 12), wave(40, 9)};
  AfadOptions afad, lf, tiny, huge;
  lf.eol = "\n";
  lf.interval = "0.005";
  lf.components = {"U-D", "N-S", "E-W"};
  tiny.interval = "1e-12";
  huge.count = "1E+300";
  record("afad", {afad_file(columns, afad)}, {kResample, kKeep, kResample | kAuto});
  record("afad-lf-0.005s", {afad_file(columns, lf)}, {0, kAuto});
  record("afad-interval-tiny", {afad_file(columns, tiny)}, {kResample, kKeep});
  record("afad-count-1e300", {afad_file(columns, huge)}, {kKeep});
}

void cwb_seeds() {
  const std::vector<std::vector<double>> columns = {wave(40, 0.6), wave(40, 2.2), wave(40, 1.0)};
  CwbOptions cwb, fast, huge, steps;
  fast.rate = "200";
  fast.eol = "\r\n";
  huge.rate = "1e12";
  steps.time_step = 0.0199;
  record("cwb", {cwb_file(columns, cwb)}, {kResample, kKeep, kResample | kAuto});
  record("cwb-200hz-crlf", {cwb_file(columns, fast)}, {0, kAuto});
  record("cwb-rate-1e12", {cwb_file(columns, huge)}, {kResample, kKeep});
  record("cwb-time-steps", {cwb_file(columns, steps)}, {kKeep});
}

void unam_seeds() {
  const std::vector<std::vector<double>> columns = {wave(40, 25), wave(40, 58), wave(40, 42)};
  UnamOptions unam, midnight, tiny, huge;
  midnight.eol = "\n";
  midnight.origin_time = "23:59:58", midnight.first_sample = "00:00:02";
  midnight.directions = {"N10W", "S80W", "V"};
  tiny.interval = "1e-12";
  huge.count = "1E+300";
  record("unam", {unam_file(columns, unam)}, {0, kAuto});
  record("unam-lf-midnight", {unam_file(columns, midnight)});
  record("unam-interval-tiny", {unam_file(columns, tiny)}, {kResample, kKeep});
  record("unam-count-1e300", {unam_file(columns, huge)});
}

void sac_seeds() {
  auto files = [](SacOptions opt) {
    std::vector<std::string> three;
    for (const char* channel : {"HNE", "HNN", "HNZ"}) {
      opt.channel = channel;
      std::vector<float> nm;
      for (double v : wave(40, 3e8)) nm.push_back(static_cast<float>(v));
      three.push_back(sac_file(nm, opt));
    }
    return three;
  };
  SacOptions little, big, v7, many, tiny;
  big.big_endian = true;
  big.delta = 0.005f;
  v7.version = 7;
  v7.trailing = std::string(176, '\0');
  many.points = 1000000000;
  tiny.delta = 1e-12f;
  record("sac", files(little), {kResample, kKeep, kResample | kAuto});
  record("sac-big-endian-0.005s", files(big), {0, kAuto});
  record("sac-v7-footer", files(v7), {kResample});
  record("sac-npts-1e9", files(many), {kKeep});
  record("sac-delta-tiny", files(tiny), {kResample, kKeep});
}

void bhrc_seeds() {
  const std::vector<BhrcChannel> channels = {{"L1", wave(40, 0.15)}, {"V2", wave(40, 0.07)}, {"T3", wave(40, 0.12)}};
  BhrcOptions bhrc, lf, tiny, huge;
  lf.eol = "\n";
  lf.azimuths = "";
  tiny.duration = "1e-12";
  huge.points = "1E+300";
  record("bhrc", {bhrc_file(channels, bhrc)}, {0, kAuto});
  record("bhrc-lf-no-azimuths", {bhrc_file(channels, lf)});
  record("bhrc-duration-tiny", {bhrc_file(channels, tiny)}, {kResample, kKeep});
  record("bhrc-points-1e300", {bhrc_file(channels, huge)});
  record("bhrc-short-comp", {replaced(bhrc_file(channels, bhrc), "COMP L1", "CO")});
}

void usc_seeds() {
  const std::vector<double> g10 = wave(40, 0.15);
  std::vector<double> uneven;
  for (std::size_t k = 0; k < g10.size(); ++k) uneven.push_back(0.0042 * static_cast<double>(k));
  UscOptions pairs, corrected, up, huge, twice, zero;
  pairs.times = uneven;
  corrected.corrected = true;
  up.component = "UP";
  huge.points = "1E+300";
  twice.times = uneven;
  twice.times[3] = twice.times[2];
  zero.corrected = true;
  zero.step = ".000";
  UscOptions east = pairs;
  east.component = "N82E";
  record("usc", {usc_file(g10, pairs) + usc_file(g10, east) + usc_file(g10, up)}, {kResample, kResample | kAuto});
  record("usc-files", {usc_file(g10, pairs), usc_file(g10, east), usc_file(g10, up)}, {0, kResample});
  record("usc-corrected", {usc_file(g10, corrected)}, {kResample});
  record("usc-points-1e300", {usc_file(g10, huge)});
  record("usc-time-twice", {usc_file(g10, twice)}, {kResample});
  record("usc-step-zero", {usc_file(g10, zero)}, {kKeep});
}

}  // namespace

// miniSEED of counts with its StationXML (the second file; fuzz_split's
// single files take the responses of the target's own stations).
void mseed_seeds() {
  auto pieces = [](double rate, const std::string& location) {
    std::vector<MseedPiece> three;
    for (const char* channel : {"HNE", "HNN", "HNZ"}) {
      MseedPiece p;
      p.channel = channel, p.rate = rate, p.location = location;
      p.counts = wave(300, 30000);
      for (double& v : p.counts) v = std::round(v);
      three.push_back(p);
    }
    return three;
  };
  auto xml = [](const std::string& location, const std::string& sensitivity) {
    std::vector<XmlChannel> three;
    for (const char* channel : {"HNE", "HNN", "HNZ"}) {
      XmlChannel c;
      c.channel = channel, c.location = location, c.sensitivity = sensitivity;
      c.dip = channel[2] == 'Z' ? "-90" : "0";
      three.push_back(c);
    }
    return stationxml(three);
  };
  std::vector<MseedPiece> gap = pieces(100, "");
  gap.push_back(gap[0]);
  gap.back().start = "2024-01-02T18:00:09.250000";
  record("mseed-steim2", {mseed_file(pieces(100, "")), xml("", "213945")}, {0, kResample, kKeep});
  record("mseed-steim1-200", {mseed_file(pieces(200, "00"), {kSteim1, true, 256}), xml("00", "213945")}, {0});
  record("mseed-int32-little", {mseed_file(pieces(100, ""), {kInt32, false, 512}), xml("", "213945")}, {kKeep});
  record("mseed-float32", {mseed_file(pieces(100, ""), {kFloat32, true, 1024}), xml("", "2.1e5")}, {kResample});
  record("mseed-gap", {mseed_file(gap), xml("", "213945")}, {kKeep});
  record("mseed-sensitivity-0", {mseed_file(pieces(100, "")), xml("", "0")}, {kKeep});
  // A header counting more samples than its record holds (libmseed copies them all).
  std::string overcounted = mseed_file(pieces(100, ""), {kInt32, true, 512});
  overcounted.replace(30, 2, "\x75\x70");
  record("mseed-count-past-record", {overcounted, xml("", "213945")}, {kKeep});
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: fuzz_seeds DIR\n", stderr);
    return 2;
  }
  root = argv[1];
  std::filesystem::remove_all(root);
  csmip_seeds();
  cosmos_seeds();
  peer_seeds();
  smc_seeds();
  geonet_seeds();
  knet_seeds();
  esm_seeds();
  afad_seeds();
  cwb_seeds();
  unam_seeds();
  sac_seeds();
  bhrc_seeds();
  mseed_seeds();
  usc_seeds();
  return 0;
}
