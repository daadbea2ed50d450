// Response spectra by the exact piecewise-linear method: a linear oscillator
// under a ground acceleration taken as linear between samples, stepped from
// sample to sample by the closed-form solution over the step.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

inline constexpr double kDamping = 0.05;

// The 21 periods (s) of the NGA-West2 tables.
inline const std::vector<double> kStandardPeriods = {0.01, 0.02, 0.03, 0.05, 0.075, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4,
                                                     0.5,  0.75, 1,    1.5,  2,     3,   4,    5,   7.5,  10};

// The periods of the spectrum when none are asked for: 100 log-spaced from
// 0.01 to 10 s and kStandardPeriods exactly, sorted, a period that both hold
// once (117 periods).
std::vector<double> default_periods();

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
  // The absolute acceleration u'' + a = -(2ζωv + ω²u).
  double absolute_acceleration(double u, double v) const { return -(two_zeta_omega_ * v + omega_ * omega_ * u); }
  double two_zeta_omega() const { return two_zeta_omega_; }
  // uu, uv, ua0, ua1, vu, vv, va0, va1: u's and then v's coefficients of u, v, a0 and a1.
  std::array<double, 8> coefficients() const { return {uu_, uv_, ua0_, ua1_, vu_, vv_, va0_, va1_}; }

 private:
  double omega_, two_zeta_omega_;
  double uu_, uv_, ua0_, ua1_;  // u's coefficients of u, v, a0, a1
  double vu_, vv_, va0_, va1_;  // v's
};

// Four numbers that the compiler adds, multiplies and compares as one vector
// (GCC's and clang's vector extension: two SSE2 instructions, or one AVX2).
using Quad = double __attribute__((vector_size(32)));
// peak = max(peak, |x|), lane by lane, for such vectors (by reference: a
// 32-byte vector passed by value would change with the processor's ABI).
template <class V>
inline void raise_to_magnitude(V& peak, const V& x) {
  using Bits = decltype(x > x);
  const V size = reinterpret_cast<V>(reinterpret_cast<Bits>(x) & ~reinterpret_cast<Bits>(-V{}));
  const Bits more = size > peak;  // all ones where |x| is the larger
  peak = reinterpret_cast<V>((more & reinterpret_cast<Bits>(size)) | (~more & reinterpret_cast<Bits>(peak)));
}

// The peaks of one oscillator's response, starting from rest, over the whole
// record: SD = max|u|, SV = max|u'| (relative velocity), SA = max|u'' + a|
// (absolute acceleration); PSA = ω²·SD. In the unit of the acceleration
// (times s² for SD, s for SV).
struct ResponsePeaks {
  double sd = 0.0, sv = 0.0, sa = 0.0, psa = 0.0;
};

// The peaks at every period for every damping ratio, [damping][period], in
// one pass over the samples for each pair of the two.
std::vector<std::vector<ResponsePeaks>> response_spectra(std::span<const double> accel, double dt,
                                                         std::span<const double> periods,
                                                         std::span<const double> dampings);

// The pseudo-spectral acceleration ω²·max|u| (the unit of accel) at each
// period, starting from rest, over the record's samples dt apart.
std::vector<double> pseudo_spectrum(const std::vector<double>& accel, double dt, const std::vector<double>& periods,
                                    double damping = kDamping);

// Short periods on the record's own samples are exact for an acceleration
// linear between samples; a period below 10 steps may instead be taken on a
// band-limited (Fourier) upsampling of the record, the factor that brings the
// shortest such period to 10 steps (1 when none is shorter; 64 at most).
inline constexpr double kStepsAPeriod = 10.0;
std::size_t upsampling_factor(double dt, std::span<const double> periods);

// Housner's spectrum intensity: the integral of the 5 %-damped pseudo-spectral
// velocity ω·SD over the periods 0.1 to 2.5 s (Simpson's rule on 49 periods
// 0.05 s apart), in the unit of accel times s² (cm for cm/s²).
double housner_intensity(std::span<const double> accel, double dt);
