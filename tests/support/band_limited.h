// A synthetic band-limited record for resampling checks: four sines at 5 %,
// 13 %, 27 % and 39 % of the source's Nyquist frequency (all below 40 % of
// it), peaking near 200.
#pragma once

#include <cmath>
#include <numbers>

inline double band_limited(double t, double nyquist) {
  const double fractions[] = {0.05, 0.13, 0.27, 0.39}, amplitudes[] = {100, 60, 30, 10};
  double v = 0;
  for (int k = 0; k < 4; ++k) v += amplitudes[k] * std::sin(2 * std::numbers::pi * fractions[k] * nyquist * t + k);
  return v;
}
