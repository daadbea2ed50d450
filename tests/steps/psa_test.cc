// The exact piecewise-linear spectrum against closed forms and against
// Newmark's average acceleration method at a step 20 times finer.
#include <gtest/gtest.h>

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

}  // namespace
