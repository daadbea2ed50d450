#include "steps/measure/psa.h"

#include <algorithm>
#include <cmath>
#include <numbers>

std::vector<double> default_periods() {
  std::vector<double> periods = kStandardPeriods;
  for (int k = 0; k < 100; ++k) {
    const double p = 0.01 * std::pow(1000.0, k / 99.0);
    // 0.01, 0.1, 1 and 10 s fall on both: the standard value is kept.
    const bool standard = std::any_of(kStandardPeriods.begin(), kStandardPeriods.end(),
                                      [p](double s) { return std::fabs(p - s) <= 1e-9 * s; });
    if (!standard) periods.push_back(p);
  }
  std::sort(periods.begin(), periods.end());
  return periods;
}

Oscillator::Oscillator(double period, double damping, double dt)
    : omega_(2 * std::numbers::pi / period), two_zeta_omega_(2 * damping * omega_) {
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

std::vector<std::vector<ResponsePeaks>> response_spectra(std::span<const double> accel, double dt,
                                                         std::span<const double> periods,
                                                         std::span<const double> dampings) {
  std::vector<Oscillator> oscillators;
  for (double damping : dampings)
    for (double period : periods) oscillators.emplace_back(period, damping, dt);
  // Eight oscillators in one pass over the record: their recurrences do not
  // wait on each other, so the processor overlaps them (measure_bench: a
  // third of the time of one a pass). A last pass of fewer repeats its last.
  constexpr std::size_t kLanes = 8;
  std::vector<ResponsePeaks> peaks(oscillators.size());
  for (std::size_t first = 0; first < oscillators.size(); first += kLanes) {
    const Oscillator* osc[kLanes];
    for (std::size_t l = 0; l < kLanes; ++l) osc[l] = &oscillators[std::min(first + l, oscillators.size() - 1)];
    double u[kLanes] = {}, v[kLanes] = {}, sd[kLanes] = {}, sv[kLanes] = {}, sa[kLanes] = {};
    for (std::size_t k = 1; k < accel.size(); ++k) {
      for (std::size_t l = 0; l < kLanes; ++l) {
        osc[l]->step(u[l], v[l], accel[k - 1], accel[k]);
        sd[l] = std::max(sd[l], std::fabs(u[l]));
        sv[l] = std::max(sv[l], std::fabs(v[l]));
        sa[l] = std::max(sa[l], std::fabs(osc[l]->absolute_acceleration(u[l], v[l])));
      }
    }
    for (std::size_t l = 0; l < kLanes && first + l < oscillators.size(); ++l)
      peaks[first + l] = {sd[l], sv[l], sa[l], osc[l]->omega() * osc[l]->omega() * sd[l]};
  }
  std::vector<std::vector<ResponsePeaks>> out(dampings.size());
  for (std::size_t d = 0; d < dampings.size(); ++d)
    out[d].assign(peaks.begin() + static_cast<std::ptrdiff_t>(d * periods.size()),
                  peaks.begin() + static_cast<std::ptrdiff_t>((d + 1) * periods.size()));
  return out;
}

std::vector<double> pseudo_spectrum(const std::vector<double>& accel, double dt, const std::vector<double>& periods,
                                    double damping) {
  const double dampings[] = {damping};
  const std::vector<std::vector<ResponsePeaks>> peaks = response_spectra(accel, dt, periods, dampings);
  std::vector<double> psa;
  for (const ResponsePeaks& p : peaks[0]) psa.push_back(p.psa);
  return psa;
}

std::size_t upsampling_factor(double dt, std::span<const double> periods) {
  if (periods.empty()) return 1;
  const double shortest = *std::min_element(periods.begin(), periods.end());
  const double factor = std::ceil(kStepsAPeriod * dt / shortest - 1e-9);
  return factor <= 1 ? 1 : static_cast<std::size_t>(std::min(factor, 64.0));
}

double housner_intensity(std::span<const double> accel, double dt) {
  constexpr int kIntervals = 48;  // 0.05 s apart, an even number for Simpson's rule
  std::vector<double> periods;
  for (int k = 0; k <= kIntervals; ++k) periods.push_back(0.1 + 0.05 * k);
  const double dampings[] = {kDamping};
  const std::vector<ResponsePeaks> peaks = response_spectra(accel, dt, periods, dampings)[0];
  double sum = 0.0;
  for (int k = 0; k <= kIntervals; ++k) {
    const double weight = k == 0 || k == kIntervals ? 1 : k % 2 == 1 ? 4 : 2;
    const std::size_t i = static_cast<std::size_t>(k);
    sum += weight * 2 * std::numbers::pi / periods[i] * peaks[i].sd;
  }
  return sum * 0.05 / 3;
}
