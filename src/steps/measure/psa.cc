#include "steps/measure/psa.h"

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
  std::vector<Oscillator> oscillators;
  for (double period : periods) oscillators.emplace_back(period, damping, dt);
  // Eight periods in one pass over the record: their recurrences do not wait
  // on each other, so the processor overlaps them (measure_bench: a third of
  // the time of one period a pass). A last pass of fewer repeats its last period.
  constexpr std::size_t kLanes = 8;
  std::vector<double> psa(periods.size());
  for (std::size_t first = 0; first < periods.size(); first += kLanes) {
    const Oscillator* osc[kLanes];
    for (std::size_t l = 0; l < kLanes; ++l) osc[l] = &oscillators[std::min(first + l, periods.size() - 1)];
    double u[kLanes] = {}, v[kLanes] = {}, peak[kLanes] = {};
    for (std::size_t k = 1; k < accel.size(); ++k) {
      for (std::size_t l = 0; l < kLanes; ++l) {
        osc[l]->step(u[l], v[l], accel[k - 1], accel[k]);
        peak[l] = std::max(peak[l], std::fabs(u[l]));
      }
    }
    for (std::size_t l = 0; l < kLanes && first + l < periods.size(); ++l)
      psa[first + l] = osc[l]->omega() * osc[l]->omega() * peak[l];
  }
  return psa;
}
