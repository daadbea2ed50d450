// Response spectra by the exact piecewise-linear method: a linear oscillator
// under a ground acceleration taken as linear between samples, stepped from
// sample to sample by the closed-form solution over the step.
#pragma once

#include <vector>

inline constexpr double kDamping = 0.05;

// The 21 periods (s) of the spectrum when none are asked for.
inline const std::vector<double> kStandardPeriods = {0.01, 0.02, 0.03, 0.05, 0.075, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4,
                                                     0.5,  0.75, 1,    1.5,  2,     3,   4,    5,   7.5,  10};

// An oscillator of unit mass, natural period `period` and damping ratio
// `damping`: u'' + 2ζωu' + ω²u = -a(t), a linear over each step of dt. The
// recurrence's coefficients are worked out once.
class Oscillator {
 public:
  Oscillator(double period, double damping, double dt);

  // The relative displacement u and velocity v one step on, the ground
  // acceleration going from a0 to a1.
  void step(double& u, double& v, double a0, double a1) const {
    const double u1 = uu_ * u + uv_ * v + ua0_ * a0 + ua1_ * a1;
    v = vu_ * u + vv_ * v + va0_ * a0 + va1_ * a1;
    u = u1;
  }
  double omega() const { return omega_; }

 private:
  double omega_;
  double uu_, uv_, ua0_, ua1_;  // u's coefficients of u, v, a0, a1
  double vu_, vv_, va0_, va1_;  // v's
};

// The pseudo-spectral acceleration ω²·max|u| (the unit of accel) at each
// period, starting from rest, over the record's samples dt apart.
std::vector<double> pseudo_spectrum(const std::vector<double>& accel, double dt, const std::vector<double>& periods,
                                    double damping = kDamping);
