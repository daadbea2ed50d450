// The zero-phase Butterworth band-pass, in the time domain: cascaded
// second-order sections from the bilinear transform, run forward and backward
// over the record padded with zeros. A recursive filter costs a few operations
// a sample whatever the record's length, and this is the filter (and the
// transient the pads are sized for) of the published processing chains.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "steps/process/filters.h"

namespace kvb {

namespace {

// Runs the sections over x in place, from rest (direct form II transposed).
void run(std::vector<double>& x, const std::vector<Biquad>& sections) {
  for (const Biquad& s : sections) {
    double z1 = 0.0, z2 = 0.0;
    for (double& v : x) {
      const double y = s.b0 * v + z1;
      z1 = s.b1 * v - s.a1 * y + z2;
      z2 = s.b2 * v - s.a2 * y;
      v = y;
    }
  }
}

}  // namespace

std::vector<Biquad> butterworth(double corner_hz, double dt, int order, bool high_pass) {
  // The analog corner prewarped: s = (1/K)(z - 1)/(z + 1) puts it at corner_hz.
  const double K = std::tan(std::numbers::pi * corner_hz * dt);
  const double K2 = K * K;
  std::vector<Biquad> sections;
  // Pole pairs of the normalised Butterworth polynomial, s² + s/Q + 1.
  for (int k = 1; k <= order / 2; ++k) {
    const double inv_q = 2.0 * std::sin(std::numbers::pi * (2 * k - 1) / (2.0 * order));
    const double norm = 1.0 / (1.0 + K * inv_q + K2);
    Biquad b;
    b.a1 = 2.0 * (K2 - 1.0) * norm;
    b.a2 = (1.0 - K * inv_q + K2) * norm;
    if (high_pass) {
      b.b0 = norm;
      b.b1 = -2.0 * norm;
      b.b2 = norm;
    } else {
      b.b0 = K2 * norm;
      b.b1 = 2.0 * K2 * norm;
      b.b2 = K2 * norm;
    }
    sections.push_back(b);
  }
  // An odd order's real pole, s + 1.
  if (order % 2 == 1) {
    const double norm = 1.0 / (1.0 + K);
    Biquad b;
    b.a1 = (K - 1.0) * norm;
    b.b0 = high_pass ? norm : K * norm;
    b.b1 = high_pass ? -norm : K * norm;
    sections.push_back(b);
  }
  return sections;
}

std::size_t pad_samples(double low_hz, double dt, int order) {
  if (low_hz <= 0.0) return 0;
  return static_cast<std::size_t>(std::ceil(0.5 * 1.5 * order / low_hz / dt));
}

void zero_phase_band_pass(std::vector<double>& x, double dt, double low_hz, double high_hz, int order,
                          std::size_t pad) {
  std::vector<Biquad> sections;
  if (low_hz > 0.0) sections = butterworth(low_hz, dt, order, true);
  if (high_hz > 0.0) {
    const std::vector<Biquad> low_pass = butterworth(high_hz, dt, order, false);
    sections.insert(sections.end(), low_pass.begin(), low_pass.end());
  }
  std::vector<double> padded(x.size() + 2 * pad, 0.0);
  std::copy(x.begin(), x.end(), padded.begin() + static_cast<std::ptrdiff_t>(pad));
  run(padded, sections);
  std::reverse(padded.begin(), padded.end());
  run(padded, sections);
  std::reverse(padded.begin(), padded.end());
  std::copy_n(padded.begin() + static_cast<std::ptrdiff_t>(pad), x.size(), x.begin());
}

}  // namespace kvb
