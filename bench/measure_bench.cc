// kvb-measure's work on the longest record read-KVB holds (three components
// of 33000 samples at 0.005 s): the summary with the 21-period spectrum,
// spectra of 100 periods, RotD50/RotD100 at 121 periods by the convex hull
// and by every direction at every point, and the whole summary (121 periods,
// three damping ratios, RotD, FAS) as kvb-measure makes it.
//   build-bench/bench/measure_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "band_limited.h"
#include "measure.h"
#include "steps/measure/motion.h"
#include "steps/measure/psa.h"
#include "steps/measure/rotd.h"

namespace {

constexpr double kDt = 0.005;
constexpr std::size_t kSamples = 33000;

// Three components of a band-limited motion under a rising and falling envelope.
std::vector<std::vector<double>> record() {
  std::vector<std::vector<double>> components(3, std::vector<double>(kSamples));
  for (std::size_t c = 0; c < components.size(); ++c) {
    for (std::size_t k = 0; k < components[c].size(); ++k) {
      const double t = static_cast<double>(k) * kDt;
      components[c][k] = band_limited(t + static_cast<double>(c), 25.0) * t * std::exp(-t / 30);
    }
  }
  return components;
}

// n periods log-spaced from 0.01 s to 10 s.
std::vector<double> log_periods(int n) {
  std::vector<double> periods;
  for (int p = 0; p < n; ++p) periods.push_back(0.01 * std::pow(1000.0, p / (n - 1.0)));
  return periods;
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
  const std::vector<double> periods = log_periods(100);
  for (auto _ : state)
    for (const std::vector<double>& a : components) benchmark::DoNotOptimize(pseudo_spectrum(a, kDt, periods));
}

void BM_RotD121Periods(benchmark::State& state) {
  const auto c = record();
  const std::vector<double> periods = log_periods(121);
  for (auto _ : state) benchmark::DoNotOptimize(kvb::rotd_spectrum(c[0], c[1], kDt, periods));
}

void BM_RotD121PeriodsEveryPoint(benchmark::State& state) {
  const auto c = record();
  const std::vector<double> periods = log_periods(121);
  for (auto _ : state) benchmark::DoNotOptimize(kvb::rotd_spectrum_every_point(c[0], c[1], kDt, periods));
}

// measure_record on a record in memory: what kvb-measure does between
// reading the folder and writing its files.
void BM_WholeSummary121Periods3Dampings(benchmark::State& state) {
  RecordFolder r;
  r.time_step = kDt;
  r.record = {{"processing", {{"level", "corrected"}}},
              {"components", {{{"azimuth", 360}}, {{"azimuth", 90}}, {{"vertical", true}}}}};
  const auto c = record();
  for (std::size_t k = 0; k < 3; ++k) r.components[k] = {layout::kComponents[k], c[k], false};
  MeasureOptions opt;
  opt.periods = log_periods(121);
  opt.dampings = {0.02, 0.05, 0.1};
  if (state.range(0) != 0) opt.konno_ohmachi_b = 40.0;
  for (auto _ : state) benchmark::DoNotOptimize(measure_record(r, opt));
}

}  // namespace

BENCHMARK(BM_SummaryAndStandardSpectrum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Spectrum100Periods)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotD121Periods)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotD121PeriodsEveryPoint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeSummary121Periods3Dampings)->Arg(0)->Arg(1)->ArgName("konno_ohmachi")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
