// The transforms against closed forms: a round trip, a sine's amplitude, the
// smoothing of a flat spectrum, and band-limited interpolation of a sine.
#include "steps/fourier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace kvb;
constexpr double kPi = std::numbers::pi;

std::vector<double> sine(std::size_t n, double dt, double f, double phase = 0.0) {
  std::vector<double> x(n);
  for (std::size_t k = 0; k < n; ++k) x[k] = std::sin(2 * kPi * f * static_cast<double>(k) * dt + phase);
  return x;
}

TEST(Fourier, FastLengthsAndRoundTrip) {
  for (auto [n, length] : {std::pair<std::size_t, std::size_t>{1, 1}, {7, 8}, {97, 100}, {1001, 1024}, {32992, 33750}})
    EXPECT_EQ(fast_fft_length(n), length) << n;
  const std::vector<double> x = sine(1000, 0.01, 3.3, 0.4);
  const std::vector<double> y = inverse_real_fft(real_fft(x, 1200), 1200);
  for (std::size_t k = 0; k < x.size(); ++k) ASSERT_NEAR(y[k], x[k], 1e-12);
  for (std::size_t k = x.size(); k < y.size(); ++k) ASSERT_NEAR(y[k], 0.0, 1e-12);
}

TEST(Fourier, SineAmplitudeIsHalfItsDurationAtItsFrequency) {
  // A sine of amplitude 1 over T seconds, on a bin: |X(f)|·dt = T/2.
  const double dt = 0.01;
  const AmplitudeSpectrum s = amplitude_spectrum(sine(1000, dt, 5.0), dt, 1000);
  ASSERT_EQ(s.frequency.size(), 501u);
  EXPECT_NEAR(s.frequency[50], 5.0, 1e-12);
  EXPECT_NEAR(s.amplitude[50], 5.0, 1e-9);
  EXPECT_NEAR(s.amplitude[60], 0.0, 1e-9);
}

TEST(Fourier, KonnoOhmachiKeepsAFlatSpectrumAndSpreadsAPeak) {
  AmplitudeSpectrum flat;
  for (int k = 0; k <= 4096; ++k) {
    flat.frequency.push_back(k * 0.01);
    flat.amplitude.push_back(2.5);
  }
  const std::vector<double> fc = {0.1, 1.0, 10.0, 40.0};
  for (double a : konno_ohmachi(flat, fc)) EXPECT_NEAR(a, 2.5, 1e-12);
  AmplitudeSpectrum spike = flat;
  for (double& a : spike.amplitude) a = 0.0;
  spike.amplitude[1000] = 1.0;  // 10 Hz
  const std::vector<double> near = konno_ohmachi(spike, std::vector<double>{10.0, 10.5, 12.0});
  EXPECT_GT(near[0], near[1]);
  EXPECT_GT(near[1], 0.0);
  EXPECT_EQ(near[2], 0.0);  // beyond the window's first zero, 10·10^(π/40) = 11.98 Hz
}

TEST(Fourier, UpsamplingKeepsTheSamplesAndInterpolatesABandLimitedSignal) {
  const double dt = 0.02;
  const std::vector<double> x = sine(4000, dt, 7.0, 0.3);  // well below the 25-Hz Nyquist frequency
  const std::vector<double> y = upsampled(x, 4);
  ASSERT_EQ(y.size(), 16000u);
  for (std::size_t k = 0; k < x.size(); ++k) ASSERT_NEAR(y[4 * k], x[k], 1e-9);
  const std::vector<double> fine = sine(16000, dt / 4, 7.0, 0.3);
  double worst = 0.0;  // away from the ends, where the record stops abruptly
  for (std::size_t k = 2000; k < 14000; ++k) worst = std::max(worst, std::abs(y[k] - fine[k]));
  EXPECT_LT(worst, 0.01);
}

}  // namespace
