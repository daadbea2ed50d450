// kvb-measure's work on the longest record read-KVB holds (three components
// of 32992 samples at 0.005 s): the summary with the 21-period spectrum, and
// spectra of 100 periods from 0.01 s to 10 s.
//   build-bench/bench/measure_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "band_limited.h"
#include "steps/measure/motion.h"
#include "steps/measure/psa.h"

namespace {

constexpr double kDt = 0.005;

// Three components of a band-limited motion under a rising and falling envelope.
std::vector<std::vector<double>> record() {
  std::vector<std::vector<double>> components(3, std::vector<double>(32992));
  for (std::size_t c = 0; c < components.size(); ++c) {
    for (std::size_t k = 0; k < components[c].size(); ++k) {
      const double t = static_cast<double>(k) * kDt;
      components[c][k] = band_limited(t + static_cast<double>(c), 25.0) * t * std::exp(-t / 30);
    }
  }
  return components;
}

void BM_SummaryAndStandardSpectrum(benchmark::State& state) {
  const auto components = record();
  for (auto _ : state) {
    for (const std::vector<double>& a : components) {
      benchmark::DoNotOptimize(motion_of(a, kDt));
      benchmark::DoNotOptimize(pseudo_spectrum(a, kDt, kStandardPeriods));
    }
  }
}

void BM_Spectrum100Periods(benchmark::State& state) {
  const auto components = record();
  std::vector<double> periods(100);
  for (std::size_t p = 0; p < periods.size(); ++p) periods[p] = 0.01 * std::pow(1000.0, static_cast<double>(p) / 99);
  for (auto _ : state)
    for (const std::vector<double>& a : components) benchmark::DoNotOptimize(pseudo_spectrum(a, kDt, periods));
}

}  // namespace

BENCHMARK(BM_SummaryAndStandardSpectrum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Spectrum100Periods)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
