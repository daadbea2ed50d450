#include "steps/process/corners.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "record/split_error.h"
#include "steps/fourier.h"
#include "steps/process/filters.h"

namespace kvb {

namespace {

constexpr double kLowestHz = 0.005;           // where the search for the band starts
constexpr double kFrequenciesPerDecade = 25;  // of the smoothed spectra
constexpr double kWindowTaper = 0.05;         // each window's ends, against leakage

std::string number(const char* format, double v) {
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

}  // namespace

std::size_t onset_sample(const std::vector<double>& x) {
  const std::size_t n = static_cast<std::size_t>(
      std::max_element(x.begin(), x.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }) - x.begin());
  constexpr std::size_t kLeast = 10;  // samples a part needs for its variance
  if (n < 2 * kLeast + 1) return 0;
  // Running sums from the start and from the peak back.
  std::vector<double> sum(n + 1, 0.0), sum2(n + 1, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    sum[k + 1] = sum[k] + x[k];
    sum2[k + 1] = sum2[k] + x[k] * x[k];
  }
  auto variance = [&](std::size_t from, std::size_t to) {
    const double m = static_cast<double>(to - from);
    const double mean = (sum[to] - sum[from]) / m;
    return std::max((sum2[to] - sum2[from]) / m - mean * mean, 1e-300);
  };
  std::size_t best = 0;
  double least = 0.0;
  for (std::size_t k = kLeast; k + kLeast <= n; ++k) {
    const double aic =
        static_cast<double>(k) * std::log(variance(0, k)) + static_cast<double>(n - k) * std::log(variance(k, n));
    if (best == 0 || aic < least) {
      best = k;
      least = aic;
    }
  }
  return best;
}

AutoCorners auto_corners(const std::vector<double>& x, double dt, std::size_t onset) {
  onset = std::min(onset, x.size());  // the onset may come from a longer component
  AutoCorners c;
  c.noise_seconds = static_cast<double>(onset) * dt;
  c.signal_seconds = static_cast<double>(x.size() - onset) * dt;
  if (c.noise_seconds < kShortestNoiseSeconds)
    throw SplitError("no pre-event noise to choose the filter's corners from (the P wave begins " +
                     number("%.2f", c.noise_seconds) + " s into the record, less than " +
                     number("%g", kShortestNoiseSeconds) +
                     " s); give them with --filter LOW:HIGH, or keep the record as recorded with --filter none");
  std::vector<double> noise(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(onset));
  std::vector<double> signal(x.begin() + static_cast<std::ptrdiff_t>(onset), x.end());
  cosine_taper(noise, kWindowTaper);
  cosine_taper(signal, kWindowTaper);
  const std::size_t length = std::max(noise.size(), signal.size());
  const AmplitudeSpectrum ns = amplitude_spectrum(noise, dt, length);
  const AmplitudeSpectrum ss = amplitude_spectrum(signal, dt, length);

  const double nyquist = 0.5 / dt;
  // The noise window says nothing of periods longer than itself.
  c.floor_hz = 1.0 / std::min(c.signal_seconds, c.noise_seconds);
  c.ceiling_hz = std::min(kNyquistShare * nyquist, kHighestLowPassHz);
  std::vector<double> f;
  // Up to just past the highest low-pass corner: what lies above is cut anyway.
  for (double v = kLowestHz; v < std::min(nyquist, 1.1 * c.ceiling_hz);
       v *= std::pow(10.0, 1.0 / kFrequenciesPerDecade))
    f.push_back(v);
  const std::vector<double> s = konno_ohmachi(ss, f);
  std::vector<double> noise_level = konno_ohmachi(ns, f);
  // Stationary noise over the signal's longer window: its amplitude grows
  // with the square root of the duration.
  const double scale = std::sqrt(static_cast<double>(signal.size()) / static_cast<double>(noise.size()));
  std::vector<double> snr(f.size());
  for (std::size_t k = 0; k < f.size(); ++k) {
    const double nl = noise_level[k] * scale;
    snr[k] = nl > 0.0 ? s[k] / nl : (s[k] > 0.0 ? 1e300 : 0.0);
  }

  // The band around the signal's strongest frequency where the ratio stays at
  // least kLeastSnr.
  const std::size_t top = static_cast<std::size_t>(std::max_element(s.begin(), s.end()) - s.begin());
  c.peak_snr = snr[top];
  if (c.peak_snr < kLeastSnr)
    throw SplitError("the signal is nowhere " + number("%g", kLeastSnr) +
                     " times above the pre-event noise (at its strongest, " + number("%.3g Hz", f[top]) +
                     ", the ratio is " + number("%.2g", c.peak_snr) +
                     "); give the corners with --filter LOW:HIGH, or keep the record with --filter none");
  std::size_t low = top, high = top;
  while (low > 0 && snr[low - 1] >= kLeastSnr) --low;
  while (high + 1 < f.size() && snr[high + 1] >= kLeastSnr) ++high;
  c.snr_low_hz = low > 0 ? f[low] : 0.0;
  c.snr_high_hz = high + 1 < f.size() ? f[high] : 0.0;
  c.low_hz = std::max(c.snr_low_hz, c.floor_hz);
  c.high_hz = c.snr_high_hz > 0.0 ? std::min(c.snr_high_hz, c.ceiling_hz) : c.ceiling_hz;
  return c;
}

}  // namespace kvb
