// The summary measures against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "steps/measure/motion.h"

namespace {

// π/(2g) with g in m/s², times ∫a² dt in (m/s²)² s.
double arias(double integral) { return std::numbers::pi / (2 * 9.80665) * integral; }

TEST(Motion, HandWorkedRecords) {
  struct Case {
    const char* what;
    std::vector<double> a;  // cm/s²
    double dt, pga, pga_time, pgv, pgd, arias;
    double d5_95;  // -1: none, without shaking
    double d5_75, cav;
  } cases[] = {
      // v 0 5 5 0, d 0 .25 .75 1; ∫a² = 0.05+0.1+0.05 m²/s³; Husid 0 .05 .15 .2 -> 0.02 s to 0.28 s.
      // |a| through zero between 100 and -100: two triangles of 50 cm/s² mean over 0.1 s.
      {"a pulse each way", {0, 100, -100, 0}, 0.1, 100, 0.1, 5, 1.0, arias(0.2), 0.26, 0.18, 15},
      // A constant for 0.1 s: v = 50t, d = 25t², Husid linear in t.
      {"a constant", std::vector<double>(11, 50.0), 0.01, 50, 0, 5, 0.25, arias(0.025), 0.09, 0.07, 5},
      // v 0 -.15 -.2, d 0 -.00075 -.0025; Husid 0 4.5 11 (cm/s²)² s.
      {"the peak below zero",
       {0, -30, 20},
       0.01,
       30,
       0.01,
       0.2,
       0.0025,
       arias(0.0011),
       0.01 + 0.01 * 5.95 / 6.5 - 0.01 * 0.55 / 4.5,
       0.01 + 0.01 * 3.75 / 6.5 - 0.01 * 0.55 / 4.5,
       0.15 + 0.01 * (900 + 400) / (2 * 50)},
      {"zeros", std::vector<double>(8, 0.0), 0.005, 0, 0, 0, 0, 0, -1, -1, 0},
      {"one sample", {7}, 0.005, 7, 0, 0, 0, 0, -1, -1, 0},
  };
  for (const Case& c : cases) {
    const Motion m = motion_of(c.a, c.dt);
    EXPECT_NEAR(m.pga, c.pga, 1e-12) << c.what;
    EXPECT_NEAR(m.pga_time, c.pga_time, 1e-12) << c.what;
    EXPECT_NEAR(m.pgv, c.pgv, 1e-12) << c.what;
    EXPECT_NEAR(m.pgd, c.pgd, 1e-12) << c.what;
    EXPECT_NEAR(m.arias, c.arias, 1e-12) << c.what;
    EXPECT_NEAR(m.d5_95.value_or(-1), c.d5_95, 1e-12) << c.what;
    EXPECT_NEAR(m.d5_75.value_or(-1), c.d5_75, 1e-12) << c.what;
    EXPECT_NEAR(m.cav, c.cav, 1e-12) << c.what;
    EXPECT_NEAR(m.final_velocity, velocity_of(c.a, c.dt).back(), 1e-12) << c.what;
  }
}

}  // namespace
