// RotD50 and RotD100 against motions whose answer is known, and the convex
// hull's directions against every direction at every point.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "band_limited.h"
#include "steps/measure/rotd.h"

namespace {

using kvb::RotD;

constexpr double kDt = 0.01;

std::vector<double> motion(double shift) {
  std::vector<double> a(1500);
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double t = static_cast<double>(k) * kDt;
    a[k] = band_limited(t + shift, 50.0) * t * std::exp(-t / 3);
  }
  return a;
}

TEST(RotD, KnownAnswers) {
  const std::vector<double> a = motion(0), b = motion(1.7), zeros(a.size(), 0.0);
  std::vector<double> minus_a;
  for (double x : a) minus_a.push_back(-x);
  const std::vector<double> periods = {0.05, 0.3, 1, 4};
  const std::vector<double> psa = pseudo_spectrum(a, kDt, periods);
  const double root2 = std::numbers::sqrt2, c45 = std::cos(std::numbers::pi / 4);
  const struct {
    const char* what;
    const std::vector<double>&x, &y;
    double rotd50, rotd100;  // times the PSA of a
  } cases[] = {
      // |u cos θ + u sin θ| = √2|u||cos(θ - 45°)|: largest √2, median √2·cos 45° = 1.
      {"two identical horizontals", a, a, 1, root2},
      {"opposite horizontals", a, minus_a, 1, root2},
      // |u cos θ|: largest 1, median cos 45° (the 90th and 91st of 180 are 45° and 135°).
      {"all on N00", a, zeros, c45, 1},
      {"all on N90", zeros, a, c45, 1},
  };
  for (const auto& c : cases) {
    const std::vector<RotD> r = kvb::rotd_spectrum(c.x, c.y, kDt, periods);
    for (std::size_t p = 0; p < periods.size(); ++p) {
      EXPECT_NEAR(r[p].rotd50 / psa[p], c.rotd50, 1e-12) << c.what << ", period " << periods[p];
      EXPECT_NEAR(r[p].rotd100 / psa[p], c.rotd100, 1e-12) << c.what << ", period " << periods[p];
    }
  }
  // Two different horizontals: the hull's answer is every point's.
  const std::vector<RotD> hull = kvb::rotd_spectrum(a, b, kDt, periods),
                          every = kvb::rotd_spectrum_every_point(a, b, kDt, periods);
  for (std::size_t p = 0; p < periods.size(); ++p) {
    EXPECT_DOUBLE_EQ(hull[p].rotd50, every[p].rotd50) << periods[p];
    EXPECT_DOUBLE_EQ(hull[p].rotd100, every[p].rotd100) << periods[p];
    EXPECT_LE(hull[p].rotd50, hull[p].rotd100);
  }
}

TEST(RotD, PointSets) {
  std::vector<double> cx, cy, lx, ly, off_x, off_y;
  for (int k = 0; k < 3600; ++k) {
    const double t = k * std::numbers::pi / 1800;
    cx.push_back(2 * std::cos(t)), cy.push_back(2 * std::sin(t));        // a circle of radius 2
    lx.push_back(3 * std::cos(t)), ly.push_back(3 * std::cos(t));        // a line at 45°
    off_x.push_back(5 + std::cos(t)), off_y.push_back(1 + std::sin(t));  // a circle away from the origin
  }
  const struct {
    const char* what;
    const std::vector<double>&x, &y;
    double rotd50, rotd100;
  } cases[] = {
      {"a circle", cx, cy, 2, 2},
      {"a line at 45°", lx, ly, 3 * std::numbers::sqrt2 * std::cos(std::numbers::pi / 4), 3 * std::numbers::sqrt2},
  };
  for (const auto& c : cases) {
    const RotD r = kvb::rotd_of(c.x, c.y);
    EXPECT_NEAR(r.rotd50, c.rotd50, 1e-5) << c.what;
    EXPECT_NEAR(r.rotd100, c.rotd100, 1e-5) << c.what;
  }
  const RotD off = kvb::rotd_of(off_x, off_y), off_every = kvb::rotd_of_every_point(off_x, off_y);
  EXPECT_DOUBLE_EQ(off.rotd50, off_every.rotd50);
  EXPECT_DOUBLE_EQ(off.rotd100, off_every.rotd100);
  EXPECT_EQ(kvb::rotd_of({}, {}).rotd100, 0.0);
  EXPECT_EQ(kvb::rotd_of(std::vector<double>{1.5}, std::vector<double>{0.0}).rotd100, 1.5);
}

}  // namespace
