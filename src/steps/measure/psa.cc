#include "steps/measure/psa.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

namespace {

// Eight oscillators stepped together over the record, four to a vector:
// recurrences that do not wait on each other, so the processor overlaps
// them. On x86-64 a second copy for AVX2 processors steps each four in one
// instruction (half the time of SSE2 pairs, measured); no fused multiply-add, so
// both give the same bits.
constexpr std::size_t kLanes = 8;

struct Lanes {
  double c[8][kLanes];  // each lane's coefficients, Oscillator::coefficients() order
  double w2[kLanes], tzw[kLanes];
  double sd[kLanes] = {}, sv[kLanes] = {}, sa[kLanes] = {};
};

#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void step_lanes(const double* accel, std::size_t n, Lanes& lanes) {
  constexpr std::size_t kQuads = kLanes / 4;
  Quad c[8][kQuads], w2[kQuads], tzw[kQuads], u[kQuads], v[kQuads], sd[kQuads], sv[kQuads], sa[kQuads];
  for (std::size_t q = 0; q < kQuads; ++q) {
    for (std::size_t i = 0; i < 8; ++i) std::memcpy(&c[i][q], &lanes.c[i][4 * q], sizeof(Quad));
    std::memcpy(&w2[q], &lanes.w2[4 * q], sizeof(Quad));
    std::memcpy(&tzw[q], &lanes.tzw[4 * q], sizeof(Quad));
    u[q] = v[q] = sd[q] = sv[q] = sa[q] = Quad{0, 0, 0, 0};
  }
  for (std::size_t k = 1; k < n; ++k) {
    const Quad g0 = Quad{0, 0, 0, 0} + accel[k - 1], g1 = Quad{0, 0, 0, 0} + accel[k];
    for (std::size_t q = 0; q < kQuads; ++q) {
      const Quad u1 = c[0][q] * u[q] + c[1][q] * v[q] + (c[2][q] * g0 + c[3][q] * g1);
      v[q] = c[4][q] * u[q] + c[5][q] * v[q] + (c[6][q] * g0 + c[7][q] * g1);
      u[q] = u1;
      raise_to_magnitude(sd[q], u1);
      raise_to_magnitude(sv[q], v[q]);
      raise_to_magnitude(sa[q], tzw[q] * v[q] + w2[q] * u1);
    }
  }
  for (std::size_t q = 0; q < kQuads; ++q) {
    std::memcpy(&lanes.sd[4 * q], &sd[q], sizeof(Quad));
    std::memcpy(&lanes.sv[4 * q], &sv[q], sizeof(Quad));
    std::memcpy(&lanes.sa[4 * q], &sa[q], sizeof(Quad));
  }
}

}  // namespace

std::vector<std::vector<ResponsePeaks>> response_spectra(std::span<const double> accel, double dt,
                                                         std::span<const double> periods,
                                                         std::span<const double> dampings) {
  std::vector<Oscillator> oscillators;
  for (double damping : dampings)
    for (double period : periods) oscillators.emplace_back(period, damping, dt);
  // Eight oscillators a pass over the record; a last pass of fewer repeats
  // its last oscillator.
  std::vector<ResponsePeaks> peaks(oscillators.size());
  for (std::size_t first = 0; first < oscillators.size(); first += kLanes) {
    Lanes lanes;
    for (std::size_t l = 0; l < kLanes; ++l) {
      const Oscillator& o = oscillators[std::min(first + l, oscillators.size() - 1)];
      const std::array<double, 8> c = o.coefficients();
      for (std::size_t i = 0; i < 8; ++i) lanes.c[i][l] = c[i];
      lanes.w2[l] = o.omega() * o.omega();
      lanes.tzw[l] = o.two_zeta_omega();
    }
    step_lanes(accel.data(), accel.size(), lanes);
    for (std::size_t l = 0; l < kLanes && first + l < oscillators.size(); ++l)
      peaks[first + l] = {lanes.sd[l], lanes.sv[l], lanes.sa[l], lanes.w2[l] * lanes.sd[l]};
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
