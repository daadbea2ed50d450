// The processing chain on three components of 33000 samples at 0.005 s: with
// given corners (0.1-40 Hz), and with corners chosen from the record
// (--filter auto: the onset, the spectra and their smoothing as well).
//   build-bench/bench/process_bench
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "band_limited.h"
#include "steps/process/chain.h"

namespace {

constexpr double kDt = 0.005;

// Three uncorrected components: 20 s of weak noise, then a band-limited
// motion under a rising and falling envelope, on an offset.
std::array<kvb::Channel, 3> record() {
  std::array<kvb::Channel, 3> chosen;
  for (std::size_t c = 0; c < chosen.size(); ++c) {
    kvb::Channel& ch = chosen[c];
    ch.interval = kDt;
    ch.processing = "uncorrected";
    ch.samples.resize(33000);
    for (std::size_t k = 0; k < ch.samples.size(); ++k) {
      const double t = static_cast<double>(k) * kDt, s = std::max(t - 20.0, 0.0);
      ch.samples[k] = 0.3 + 0.01 * band_limited(t + 7.0 * static_cast<double>(c), 40.0) +
                      band_limited(t + static_cast<double>(c), 25.0) * s * std::exp(-s / 30);
    }
  }
  return chosen;
}

void run(benchmark::State& state, const char* filter) {
  const std::array<kvb::Channel, 3> original = record();
  kvb::ProcessOptions options;
  std::string why;
  kvb::parse_filter(filter, options, why);
  for (auto _ : state) {
    state.PauseTiming();
    std::array<kvb::Channel, 3> chosen = original;
    state.ResumeTiming();
    benchmark::DoNotOptimize(kvb::process_record(chosen, {true, true, true}, options));
  }
}

void BM_ChainGivenCorners(benchmark::State& state) { run(state, "0.1:40"); }
void BM_ChainAutoCorners(benchmark::State& state) { run(state, "auto"); }

}  // namespace

BENCHMARK(BM_ChainGivenCorners)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainAutoCorners)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
