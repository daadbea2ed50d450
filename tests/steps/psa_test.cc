// The exact piecewise-linear spectrum against closed forms and against
// Newmark's average acceleration method at a step 20 times finer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "band_limited.h"
#include "steps/measure/psa.h"

namespace {

constexpr double kPi = std::numbers::pi;

// The peak |u| of the oscillator over the samples from `from` on.
double peak_from(const Oscillator& osc, const std::vector<double>& a, std::size_t from) {
  double u = 0, v = 0, peak = 0;
  for (std::size_t k = 1; k < a.size(); ++k) {
    osc.step(u, v, a[k - 1], a[k]);
    if (k >= from) peak = std::max(peak, std::fabs(u));
  }
  return peak;
}

// Newmark's average acceleration method (γ = 1/2, β = 1/4) at dt/20, the
// ground acceleration linear between the record's samples: ω²·max|u|.
double newmark_psa(const std::vector<double>& a, double dt, double period) {
  const int sub = 20;
  const double h = dt / sub, w = 2 * kPi / period, c = 2 * kDamping * w, k = w * w;
  const double stiff = k + 2 * c / h + 4 / (h * h);
  double u = 0, v = 0, acc = -a[0], peak = 0;
  for (std::size_t i = 1; i < a.size(); ++i) {
    for (int j = 1; j <= sub; ++j) {
      const double ground = a[i - 1] + (a[i] - a[i - 1]) * j / sub;
      const double u1 = (-ground + 4 / (h * h) * u + 4 / h * v + acc + c * (2 / h * u + v)) / stiff;
      const double acc1 = 4 / (h * h) * (u1 - u) - 4 / h * v - acc;
      v += h / 2 * (acc + acc1);
      u = u1;
      acc = acc1;
      peak = std::max(peak, std::fabs(u));
    }
  }
  return k * peak;
}

TEST(Spectrum, StepResponseFollowsTheClosedForm) {
  // u(t) = -(a/ω²)(1 - e^(-ζωt)(cos ω_D t + ζ/√(1-ζ²) sin ω_D t)) under a constant a from rest.
  const double dt = 0.005, a0 = 100;
  for (double period : {0.005, 0.01, 0.3, 2.0, 10.0}) {  // from one step a period to 2000
    const Oscillator osc(period, kDamping, dt);
    const double w = osc.omega(), root = std::sqrt(1 - kDamping * kDamping), static_u = a0 / (w * w);
    double u = 0, v = 0, worst = 0;
    for (int k = 1; k <= 4000; ++k) {
      osc.step(u, v, a0, a0);
      const double t = k * dt;
      const double exact = -static_u * (1 - std::exp(-kDamping * w * t) *
                                                (std::cos(w * root * t) + kDamping / root * std::sin(w * root * t)));
      worst = std::max(worst, std::fabs(u - exact));
    }
    EXPECT_LT(worst, 1e-3 * static_u) << "period " << period;
  }
}

TEST(Spectrum, ResonanceSettlesAtOneOverTwiceTheDamping) {
  // Under a sin(ωt) at the natural period, |u| settles at a/(2ζω²): PSA = 10a.
  for (double period : {0.02, 0.5, 4.0}) {
    const double dt = period / 200, a0 = 50;
    std::vector<double> a(200 * 300 + 1);
    for (std::size_t k = 0; k < a.size(); ++k) a[k] = a0 * std::sin(2 * kPi * static_cast<double>(k) / 200);
    const Oscillator osc(period, kDamping, dt);
    const double psa = osc.omega() * osc.omega() * peak_from(osc, a, a.size() - 200 * 10);
    EXPECT_NEAR(psa / (a0 / (2 * kDamping)), 1.0, 1e-3) << "period " << period;
  }
}

TEST(Spectrum, AgreesWithNewmarkAtAFinerStep) {
  // 20 s of a band-limited motion at 0.01 s under a rising and falling envelope.
  const double dt = 0.01;
  std::vector<double> a(2001);
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double t = static_cast<double>(k) * dt;
    a[k] = band_limited(t, 5.0) * t * std::exp(-t / 4);
  }
  const std::vector<double> psa = pseudo_spectrum(a, dt, kStandardPeriods);
  for (std::size_t p = 0; p < kStandardPeriods.size(); ++p)
    EXPECT_NEAR(psa[p] / newmark_psa(a, dt, kStandardPeriods[p]), 1.0, 5e-3) << "period " << kStandardPeriods[p];
}

TEST(Spectrum, ShortPeriodsApproachThePeakAndZerosStayZero) {
  const std::vector<double> a = {0, 3, -8, 12, -5, 1, 0, 0, 0, 0};
  EXPECT_NEAR(pseudo_spectrum(a, 0.005, {0.0005})[0], 12.0, 0.12);
  EXPECT_EQ(pseudo_spectrum(std::vector<double>(100, 0.0), 0.005, {0.1, 1})[1], 0.0);
  EXPECT_EQ(pseudo_spectrum({}, 0.005, {0.1})[0], 0.0);
}

TEST(Spectrum, HarmonicSteadyStateFollowsTheClosedForms) {
  // Under a·sin(Ωt), once the free vibration has died away: |u| = a/√((ω²-Ω²)² + (2ζωΩ)²), |u'| = Ω|u|,
  // |u'' + a| = |u|·√(ω⁴ + (2ζωΩ)²).
  const struct {
    double period, ratio, damping;  // ratio Ω/ω
  } cases[] = {{0.5, 0.5, 0.05}, {0.5, 2.0, 0.05}, {2.0, 1.0, 0.02}, {0.1, 1.3, 0.2}};
  for (const auto& c : cases) {
    const double w = 2 * kPi / c.period, big_w = c.ratio * w, a0 = 10, dt = c.period / 400;
    const Oscillator osc(c.period, c.damping, dt);
    double u = 0, v = 0, sd = 0, sv = 0, sa = 0, previous = 0;
    const int steps = static_cast<int>(60 / (c.damping * w * dt));  // e^-60 of the free vibration left
    for (int k = 1; k <= steps + 4000; ++k) {
      const double ground = a0 * std::sin(big_w * k * dt);
      osc.step(u, v, previous, ground);
      previous = ground;
      if (k < steps) continue;
      sd = std::max(sd, std::fabs(u)), sv = std::max(sv, std::fabs(v));
      sa = std::max(sa, std::fabs(osc.absolute_acceleration(u, v)));
    }
    const double two_zww = 2 * c.damping * w * big_w;
    const double u_amp = a0 / std::hypot(w * w - big_w * big_w, two_zww);
    EXPECT_NEAR(sd / u_amp, 1, 1e-3) << c.period << " " << c.ratio;
    EXPECT_NEAR(sv / (big_w * u_amp), 1, 1e-3) << c.period << " " << c.ratio;
    EXPECT_NEAR(sa / (u_amp * std::hypot(w * w, two_zww)), 1, 1e-3) << c.period << " " << c.ratio;
  }
}

TEST(Spectrum, DampingsInOnePassAndTheirRelations) {
  std::vector<double> a(1501);
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double t = static_cast<double>(k) * 0.01;
    a[k] = band_limited(t, 50.0) * t * std::exp(-t / 3);
  }
  const std::vector<double> periods = {0.03, 0.2, 0.7, 1.5, 6.0}, dampings = {0.0, 0.02, 0.05};
  // Fifteen oscillators, eight a pass: each damping's periods cross a pass's edge.
  const auto peaks = response_spectra(a, 0.01, periods, dampings);
  ASSERT_EQ(peaks.size(), 3u);
  for (std::size_t d = 0; d < dampings.size(); ++d) {
    const std::vector<double> psa = pseudo_spectrum(a, 0.01, periods, dampings[d]);
    for (std::size_t p = 0; p < periods.size(); ++p) {
      const ResponsePeaks& r = peaks[d][p];
      EXPECT_DOUBLE_EQ(r.psa, psa[p]) << dampings[d] << " " << periods[p];
      EXPECT_DOUBLE_EQ(r.psa, std::pow(2 * kPi / periods[p], 2) * r.sd);
      // Undamped, the absolute acceleration is -ω²u: SA = PSA.
      if (dampings[d] == 0) { EXPECT_NEAR(r.sa / r.psa, 1, 1e-12) << periods[p]; }
    }
  }
}

TEST(Spectrum, PeriodsAndUpsampling) {
  const std::vector<double> periods = default_periods();
  EXPECT_EQ(periods.size(), 117u);
  EXPECT_TRUE(std::is_sorted(periods.begin(), periods.end()));
  EXPECT_EQ(std::adjacent_find(periods.begin(), periods.end()), periods.end());
  for (double p : kStandardPeriods) EXPECT_TRUE(std::count(periods.begin(), periods.end(), p) == 1) << p;
  EXPECT_EQ(periods.front(), 0.01);
  EXPECT_EQ(periods.back(), 10.0);

  const struct {
    double dt;
    std::vector<double> periods;
    std::size_t factor;
  } cases[] = {{0.005, {0.01, 1}, 5}, {0.02, {0.03, 0.01}, 20}, {0.005, {0.05}, 1},
               {0.005, {}, 1},        {1.0, {0.001}, 64},       {0.01, {0.099}, 2}};
  for (const auto& c : cases) EXPECT_EQ(upsampling_factor(c.dt, c.periods), c.factor) << c.dt;
}

TEST(Spectrum, HousnerIntensityAgreesWithAFineTrapezoid) {
  std::vector<double> a(2001);
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double t = static_cast<double>(k) * 0.01;
    a[k] = band_limited(t, 5.0) * t * std::exp(-t / 4);
  }
  std::vector<double> periods;
  for (int k = 0; k <= 960; ++k) periods.push_back(0.1 + 0.0025 * k);
  const std::vector<double> psa = pseudo_spectrum(a, 0.01, periods);
  double si = 0;
  for (std::size_t k = 1; k < periods.size(); ++k)
    si += 0.0025 / 2 * (psa[k - 1] * periods[k - 1] + psa[k] * periods[k]) / (2 * kPi);  // PSV = PSA·T/2π
  EXPECT_NEAR(housner_intensity(a, 0.01) / si, 1, 2e-3);
}

}  // namespace
