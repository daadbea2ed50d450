// kvb-split on headers that would make it hang, eat memory or write what the
// terminal obeys: each run ends with a clear error, or with the sound result.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "component_layout.h"
#include "generators/peer.h"
#include "generators/smc.h"
#include "json_doc.h"
#include "temp_dir.h"

namespace {

using namespace kvb_test;
using test_support::TempDir;

// A PEER set n.at2, e.at2, up.at2 of points samples at interval.
void write_peer_set(const TempDir& dir, double interval, int points, const std::string& station = "") {
  std::vector<double> g;
  for (int k = 0; k < points; ++k) g.push_back((k % 2 ? -1 : 1) * 0.01 * (1 + k % 7));
  for (const char* component : {"0", "90", "UP"}) {
    PeerOptions opt;
    opt.component = component;
    opt.interval = interval;
    opt.west2 = interval >= 1e-4 && interval < 1000;  // else DT in %g
    std::string file = peer_file(g, opt);
    if (!station.empty()) file.replace(file.find("Synthetic Creek"), 15, station);
    dir.write(std::string(component == std::string("0")    ? "n"
                          : component == std::string("90") ? "e"
                                                           : "up") +
                  ".at2",
              file);
  }
}

// Three film-record SMC files (360, 90, up) of pairs whose times step by
// step seconds, the last at last seconds.
void write_smc_pairs(const TempDir& dir, double step, double last) {
  for (const char* component : {"360", "90", "up"}) {
    SmcOptions opt;
    opt.volume = 1;
    opt.pairs = true;
    opt.component = component;
    opt.from_vertical = component == std::string("up") ? 0 : 90;
    opt.azimuth = component == std::string("up") ? -32768 : std::stoi(component);
    std::vector<double> pairs;
    for (int k = 0; k < 20; ++k) pairs.insert(pairs.end(), {k * step, k % 2 ? 1.5 : -2.5});
    pairs.insert(pairs.end(), {last, 1.0});
    dir.write(std::string(component) + ".smc", smc_file(pairs, opt));
  }
}

TEST(KvbSplitLimits, HostileSizesAndIntervalsEndWithAClearError) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> make;
    std::vector<std::string> args;
    std::string err;  // the whole of stderr
  };
  const std::vector<std::string> peer = {"n.at2", "e.at2", "up.at2"};
  const std::vector<std::string> smc = {"360.smc", "90.smc", "up.smc"};
  auto with = [](std::vector<std::string> args, const std::vector<std::string>& files) {
    args.insert(args.end(), files.begin(), files.end());
    return args;
  };
  for (const Case& c : std::vector<Case>{
           {"an interval of 1E-12 s never reaches the resampler",
            [](const TempDir& d) { write_peer_set(d, 1e-12, 100); }, with({"--resample"}, peer),
            "kvb-split: n.at2:4: the sample interval 1e-12 s is not between 1 µs and 10 s\n"},
           {"DT= 100000 SEC", [](const TempDir& d) { write_peer_set(d, 100000, 100); }, with({"--resample"}, peer),
            "kvb-split: n.at2:4: the sample interval 100000 s is not between 1 µs and 10 s\n"},
           {"10 s x 100 points resampled is counted before it is made",
            [](const TempDir& d) { write_peer_set(d, 10, 100); }, with({"--resample"}, peer),
            "kvb-split: the record lasts 990.000 s (198001 samples at 0.005 s), but read-KVB holds at most 32992 "
            "samples a component (164.955 s); use --window auto (the strongest shaking) or --window START:END "
            "(seconds)\n"},
           {"film pairs 1 µs apart up to 100 s: no grid of 10^8 samples",
            [](const TempDir& d) { write_smc_pairs(d, 1e-6, 100); }, with({"--resample", "--window", "auto"}, smc),
            "kvb-split: the record would hold 100000001 samples at 1e-06 s (100.000 s), more than the 2000000 "
            "kvb-split puts on its way to a window\n"},
           {"film pairs 0.1 µs apart: a median step of 0", [](const TempDir& d) { write_smc_pairs(d, 1e-7, 1); },
            with({"--keep-interval"}, smc),
            "kvb-split: 360.smc:29: the middle step between the sample times, 1e-07 s, is not between 1 µs and "
            "10 s\n"},
           {"a window to 1e308 s", [](const TempDir& d) { write_peer_set(d, 0.005, 10); },
            with({"--window", "0:1e308"}, peer),
            "kvb-split: the window 0.000 s to 1e+308 s is not inside the record, whose last sample is at 0.045 s\n"},
           {"one file given twice",
            [](const TempDir& d) { write_peer_set(d, 0.005, 10); },
            {"n.at2", "n.at2", "up.at2"},
            "kvb-split: n.at2 channel 0 (0) and n.at2 channel 0 (0) are the same channel, the same samples (one "
            "file given twice?)\n"},
           {"two samples resampled", [](const TempDir& d) { write_peer_set(d, 0.02, 2); }, with({"--resample"}, peer),
            ""},
       }) {
    TempDir dir;
    c.make(dir);
    test_support::RunOptions o = test_support::in_folder(dir.path(), with({KVB_SPLIT, "-o", "out"}, c.args));
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer's shadow memory alone is larger
    o.memory_limit = rlim_t{1} << 30;
#endif
    test_support::RunResult r = test_support::run(o);
    EXPECT_TRUE(r.exited(c.err.empty() ? 0 : 1)) << c.what << ": " << r.describe() << "\n" << r.err;
    EXPECT_EQ(c.err, r.err) << c.what;
  }
}

// A station name with a Latin-1 letter and an escape sequence: the record
// file is valid UTF-8 with the letter, the title shows '?' for the escape.
TEST(KvbSplitLimits, StationNamesOfOtherEncodingsAndControlBytes) {
  TempDir dir;
  write_peer_set(dir, 0.005, 10,
                 "Pe\xf1"
                 "a\x1b[2J");
  test_support::RunResult r = test_support::run_in(dir.path(), {KVB_SPLIT, "n.at2", "e.at2", "up.at2"});
  ASSERT_TRUE(r.exited(0)) << r.describe() << "\n" << r.err;
  JsonDoc record(dir.read("KVB-record.json").value_or(""));
  EXPECT_EQ("Pe\u00f1a\x1b[2J", record.text("/station/name"));
  const std::string n00 = dir.read(layout::kNames[0]).value_or("");
  EXPECT_NE(std::string::npos, n00.find("\nPe\xf1"
                                        "a?[2J, channel 0: 0\n"))
      << n00.substr(0, 400);
}

}  // namespace
