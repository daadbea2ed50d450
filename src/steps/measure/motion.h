// The ground motion measures of one component: peaks of acceleration,
// velocity and displacement, Arias intensity and significant duration.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "readers/record_folder.h"
#include "steps/measure/velocity.h"

struct Motion {
  double pga = 0.0;             // cm/s², the largest |acceleration|
  double pga_time = 0.0;        // s after the first sample
  double pgv = 0.0;             // cm/s
  double pgd = 0.0;             // cm
  double arias = 0.0;           // m/s
  std::optional<double> d5_95;  // s; none without shaking
  std::optional<double> d5_75;  // s; none without shaking
  double cav = 0.0;             // cm/s, ∫|a| dt
  double final_velocity = 0.0;  // cm/s, the velocity from rest at the last sample
};

// Of samples dt apart in cm/s². Velocity and displacement come from the
// trapezoidal rule, starting from rest, without baseline correction; the
// Arias integral too, and D5-95 runs between the times where it reaches 5 %
// and 95 % of its whole (linear between samples), D5-75 to 75 %. CAV is
// the integral of |a| for a linear between samples (exact where a changes
// sign between two samples).
Motion motion_of(const std::vector<double>& accel, double dt);
