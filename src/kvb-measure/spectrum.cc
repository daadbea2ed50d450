#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Oscillator::Oscillator(double period, double damping, double dt) : omega_(2 * std::numbers::pi / period) {
  const double w = omega_, z = damping, k = w * w;
  const double root = std::sqrt(1 - z * z), wd = w * root;
  const double e = std::exp(-z * w * dt), s = std::sin(wd * dt), c = std::cos(wd * dt);
  const double zr = z / root, two_z_wdt = 2 * z / (w * dt);
  uu_ = e * (zr * s + c);
  uv_ = e * s / wd;
  vu_ = -e * w / root * s;
  vv_ = e * (c - zr * s);
  // The load is -a: the coefficients of a0 and a1 are those of the load, negated.
  ua0_ = -(two_z_wdt + e * (((1 - 2 * z * z) / (wd * dt) - zr) * s - (1 + two_z_wdt) * c)) / k;
  ua1_ = -(1 - two_z_wdt + e * ((2 * z * z - 1) / (wd * dt) * s + two_z_wdt * c)) / k;
  va0_ = -(-1 / dt + e * ((w / root + z / (dt * root)) * s + c / dt)) / k;
  va1_ = -(1 - e * (zr * s + c)) / (k * dt);
}

std::vector<double> pseudo_spectrum(const std::vector<double>& accel, double dt, const std::vector<double>& periods,
                                    double damping) {
  std::vector<double> psa;
  psa.reserve(periods.size());
  for (double period : periods) {
    const Oscillator osc(period, damping, dt);
    double u = 0, v = 0, peak = 0;
    for (std::size_t k = 1; k < accel.size(); ++k) {
      osc.step(u, v, accel[k - 1], accel[k]);
      peak = std::max(peak, std::fabs(u));
    }
    psa.push_back(osc.omega() * osc.omega() * peak);
  }
  return psa;
}
