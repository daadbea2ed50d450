#include "steps/fourier.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kvb {

std::size_t fast_fft_length(std::size_t n) {
  for (std::size_t length = std::max<std::size_t>(n, 1);; ++length) {
    std::size_t rest = length;
    for (std::size_t factor : {std::size_t{2}, std::size_t{3}, std::size_t{5}})
      while (rest % factor == 0) rest /= factor;
    if (rest == 1) return length;
  }
}

std::vector<std::complex<double>> real_fft(std::span<const double> samples, std::size_t length) {
  std::vector<double> in(length, 0.0);
  std::copy_n(samples.begin(), std::min(samples.size(), length), in.begin());
  std::vector<std::complex<double>> out(length / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(length), in.data(),
                                        reinterpret_cast<fftw_complex*>(out.data()), FFTW_ESTIMATE);
  fftw_execute(plan);
  fftw_destroy_plan(plan);
  return out;
}

std::vector<double> inverse_real_fft(std::span<const std::complex<double>> coefficients, std::size_t length) {
  std::vector<std::complex<double>> in(length / 2 + 1);  // the transform overwrites its input
  std::copy_n(coefficients.begin(), std::min(coefficients.size(), in.size()), in.begin());
  std::vector<double> out(length);
  fftw_plan plan = fftw_plan_dft_c2r_1d(static_cast<int>(length), reinterpret_cast<fftw_complex*>(in.data()),
                                        out.data(), FFTW_ESTIMATE);
  fftw_execute(plan);
  fftw_destroy_plan(plan);
  for (double& x : out) x /= static_cast<double>(length);
  return out;
}

AmplitudeSpectrum amplitude_spectrum(std::span<const double> samples, double dt, std::size_t length) {
  const std::size_t n = fast_fft_length(std::max(length, samples.size()));
  const std::vector<std::complex<double>> x = real_fft(samples, n);
  AmplitudeSpectrum s;
  s.frequency.resize(x.size());
  s.amplitude.resize(x.size());
  for (std::size_t k = 0; k < x.size(); ++k) {
    s.frequency[k] = static_cast<double>(k) / (static_cast<double>(n) * dt);
    s.amplitude[k] = std::abs(x[k]) * dt;
  }
  return s;
}

std::vector<double> konno_ohmachi(const AmplitudeSpectrum& spectrum, std::span<const double> fc, double b) {
  const std::vector<double>& f = spectrum.frequency;
  const double reach = std::pow(10.0, std::numbers::pi / b);  // the window's first zeros: fc/reach, fc·reach
  // b·log10(f) of every frequency once, rather than a logarithm a weight.
  std::vector<double> scaled_log(f.size(), 0.0);
  for (std::size_t k = 0; k < f.size(); ++k)
    if (f[k] > 0.0) scaled_log[k] = b * std::log10(f[k]);
  std::vector<double> smoothed;
  smoothed.reserve(fc.size());
  for (double centre : fc) {
    const auto first = std::upper_bound(f.begin(), f.end(), std::max(centre / reach, 0.0));
    const auto last = std::lower_bound(first, f.end(), centre * reach);
    const double centre_log = b * std::log10(centre);
    double sum = 0.0, weights = 0.0;
    for (auto k = static_cast<std::size_t>(first - f.begin()); k < static_cast<std::size_t>(last - f.begin()); ++k) {
      const double x = scaled_log[k] - centre_log;
      double w = x == 0.0 ? 1.0 : std::sin(x) / x;
      w *= w;
      w *= w;
      sum += w * spectrum.amplitude[k];
      weights += w;
    }
    smoothed.push_back(weights > 0.0 ? sum / weights : 0.0);
  }
  return smoothed;
}

std::vector<double> upsampled(std::span<const double> samples, std::size_t factor) {
  if (factor <= 1 || samples.empty()) return {samples.begin(), samples.end()};
  const std::size_t n = fast_fft_length(2 * samples.size());
  std::vector<std::complex<double>> x = real_fft(samples, n);
  if (n % 2 == 0) x.back() /= 2.0;  // the Nyquist term, shared between +fN and -fN in the longer transform
  for (std::complex<double>& c : x) c *= static_cast<double>(factor);
  std::vector<double> y = inverse_real_fft(x, n * factor);
  y.resize(samples.size() * factor);
  return y;
}

}  // namespace kvb
