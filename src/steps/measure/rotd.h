// The horizontal motion whatever the direction (Boore 2010): the two
// horizontals' responses projected onto 180 directions 1° apart; RotD100 the
// largest of the 180 peaks, RotD50 their median.
#pragma once

#include <span>
#include <vector>

#include "steps/measure/psa.h"

namespace kvb {

struct RotD {
  double rotd50 = 0.0, rotd100 = 0.0;
};

// Of a motion given as points (x[k], y[k]), x and y of equal length: the
// peak |x·cos θ + y·sin θ| at θ = 0°, 1°, ..., 179°; RotD100 the largest,
// RotD50 the mean of the 90th and 91st of the 180 in order, as PEER's
// NGA-West2 programs take the median. The largest projection onto a
// direction is reached at a vertex of the points' convex hull, so the hull
// is built once and the 180 directions are taken on its vertices.
RotD rotd_of(std::span<const double> x, std::span<const double> y);
// The same, every direction at every point: the second method for the tests
// and the benchmark.
RotD rotd_of_every_point(std::span<const double> x, std::span<const double> y);

// RotD of the pseudo-spectral acceleration ω²·u at each period, the two
// horizontals' oscillators started from rest (the unit of the acceleration).
std::vector<RotD> rotd_spectrum(std::span<const double> a1, std::span<const double> a2, double dt,
                                std::span<const double> periods, double damping = kDamping);
// The same with rotd_of_every_point.
std::vector<RotD> rotd_spectrum_every_point(std::span<const double> a1, std::span<const double> a2, double dt,
                                            std::span<const double> periods, double damping = kDamping);

}  // namespace kvb
