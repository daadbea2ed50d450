// The trapezoidal rule from rest: velocity from acceleration, displacement
// from velocity. Standard C++ alone, for every program that integrates.
#pragma once

#include <span>
#include <vector>

// The running integral of samples dt apart, from rest, at each sample.
inline std::vector<double> velocity_of(std::span<const double> accel, double dt) {
  std::vector<double> v(accel.size(), 0.0);
  for (std::size_t k = 1; k < accel.size(); ++k) v[k] = v[k - 1] + dt * (accel[k - 1] + accel[k]) / 2;
  return v;
}
