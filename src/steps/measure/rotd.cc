#include "steps/measure/rotd.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kvb {

namespace {

constexpr int kAngles = 180;

struct Point {
  double x, y;
};

double cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// cos and sin of 0°, 1°, ..., 179°.
const std::array<Point, kAngles>& directions() {
  static const std::array<Point, kAngles> d = [] {
    std::array<Point, kAngles> out;
    for (int j = 0; j < kAngles; ++j) {
      const double t = j * std::numbers::pi / 180;
      out[static_cast<std::size_t>(j)] = {std::cos(t), std::sin(t)};
    }
    return out;
  }();
  return d;
}

// The 180 peaks in order: RotD50 the mean of the two middle ones, RotD100 the last.
RotD from_peaks(std::array<double, kAngles>& peak) {
  std::sort(peak.begin(), peak.end());
  return {(peak[kAngles / 2 - 1] + peak[kAngles / 2]) / 2, peak[kAngles - 1]};
}

// The points that may be vertices of the hull: those outside a disc inside
// the octagon of the points furthest along ±x, ±y, ±(x+y), ±(x-y) (a point
// in the disc is inside the octagon, and so inside the hull). Most of a
// record's response is small, so few points are left.
std::vector<Point> hull_candidates(std::span<const double> x, std::span<const double> y) {
  std::array<std::size_t, 8> far{};  // the indices of the largest x, -x, y, -y, x+y, -(x+y), x-y, -(x-y)
  std::array<double, 8> best;
  best.fill(-INFINITY);
  for (std::size_t k = 0; k < x.size(); ++k) {
    const double along[4] = {x[k], y[k], x[k] + y[k], x[k] - y[k]};
    for (std::size_t d = 0; d < 4; ++d) {
      if (along[d] > best[2 * d]) best[2 * d] = along[d], far[2 * d] = k;
      if (-along[d] > best[2 * d + 1]) best[2 * d + 1] = -along[d], far[2 * d + 1] = k;
    }
  }
  // The octagon's vertices in turn round it: +x, +(x+y), +y, -(x-y), -x, -(x+y), -y, +(x-y).
  const std::size_t order[8] = {0, 4, 2, 7, 1, 5, 3, 6};
  Point octagon[8], centre{0, 0};
  for (int i = 0; i < 8; ++i) {
    octagon[i] = {x[far[order[i]]], y[far[order[i]]]};
    centre.x += octagon[i].x / 8;
    centre.y += octagon[i].y / 8;
  }
  double radius = INFINITY;  // the centre's distance from the nearest edge
  for (int i = 0; i < 8; ++i) {
    const Point a = octagon[i], b = octagon[(i + 1) % 8];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length > 0) radius = std::min(radius, std::fabs(cross(a, b, centre)) / length);
  }
  if (!std::isfinite(radius)) radius = 0;
  const double inside = radius * radius * (1 - 1e-9);
  std::vector<Point> out;
  for (std::size_t k = 0; k < x.size(); ++k) {
    const double dx = x[k] - centre.x, dy = y[k] - centre.y;
    if (dx * dx + dy * dy >= inside) out.push_back({x[k], y[k]});
  }
  return out;
}

// The vertices of the convex hull (Andrew's monotone chain).
std::vector<Point> convex_hull(std::vector<Point> p) {
  std::sort(p.begin(), p.end(), [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  if (p.size() < 3) return p;
  std::vector<Point> hull(2 * p.size());
  std::size_t n = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (n >= 2 && cross(hull[n - 2], hull[n - 1], p[i]) <= 0) --n;
    hull[n++] = p[i];
  }
  for (std::size_t i = p.size() - 1, lower = n + 1; i-- > 0;) {
    while (n >= lower && cross(hull[n - 2], hull[n - 1], p[i]) <= 0) --n;
    hull[n++] = p[i];
  }
  hull.resize(n - 1);
  return hull;
}

template <class PeaksOf>
std::vector<RotD> spectrum_by(std::span<const double> a1, std::span<const double> a2, double dt,
                              std::span<const double> periods, double damping, PeaksOf rotd) {
  const std::size_t n = std::min(a1.size(), a2.size());
  // Four periods a pass, two horizontals each: eight recurrences that do not
  // wait on each other (as response_spectra). Each keeps its displacements.
  constexpr std::size_t kPeriods = 4, kLanes = 2 * kPeriods;
  std::vector<double> u(kLanes * n);
  std::vector<RotD> out(periods.size());
  for (std::size_t first = 0; first < periods.size(); first += kPeriods) {
    std::vector<Oscillator> osc;
    for (std::size_t p = 0; p < kPeriods; ++p)
      osc.emplace_back(periods[std::min(first + p, periods.size() - 1)], damping, dt);
    double uu[kLanes] = {}, vv[kLanes] = {};
    for (std::size_t l = 0; l < kLanes; ++l) u[l * n] = 0.0;
    for (std::size_t k = 1; k < n; ++k) {
      for (std::size_t p = 0; p < kPeriods; ++p) {
        osc[p].step(uu[2 * p], vv[2 * p], a1[k - 1], a1[k]);
        osc[p].step(uu[2 * p + 1], vv[2 * p + 1], a2[k - 1], a2[k]);
      }
      for (std::size_t l = 0; l < kLanes; ++l) u[l * n + k] = uu[l];
    }
    for (std::size_t p = 0; p < kPeriods && first + p < periods.size(); ++p) {
      const RotD r = rotd(std::span<const double>(u.data() + 2 * p * n, n),
                          std::span<const double>(u.data() + (2 * p + 1) * n, n));
      const double w2 = osc[p].omega() * osc[p].omega();
      out[first + p] = {w2 * r.rotd50, w2 * r.rotd100};
    }
  }
  return out;
}

}  // namespace

RotD rotd_of(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = std::min(x.size(), y.size());
  if (n == 0) return {};
  const std::vector<Point> hull = convex_hull(hull_candidates(x.first(n), y.first(n)));
  std::array<double, kAngles> peak;
  for (std::size_t j = 0; j < kAngles; ++j) {
    const Point d = directions()[j];
    double most = 0.0;
    for (const Point& v : hull) most = std::max(most, std::fabs(v.x * d.x + v.y * d.y));
    peak[j] = most;
  }
  return from_peaks(peak);
}

RotD rotd_of_every_point(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = std::min(x.size(), y.size());
  std::array<double, kAngles> peak;
  for (std::size_t j = 0; j < kAngles; ++j) {
    const Point d = directions()[j];
    double most = 0.0;
    for (std::size_t k = 0; k < n; ++k) most = std::max(most, std::fabs(x[k] * d.x + y[k] * d.y));
    peak[j] = most;
  }
  return from_peaks(peak);
}

std::vector<RotD> rotd_spectrum(std::span<const double> a1, std::span<const double> a2, double dt,
                                std::span<const double> periods, double damping) {
  return spectrum_by(a1, a2, dt, periods, damping, rotd_of);
}

std::vector<RotD> rotd_spectrum_every_point(std::span<const double> a1, std::span<const double> a2, double dt,
                                            std::span<const double> periods, double damping) {
  return spectrum_by(a1, a2, dt, periods, damping, rotd_of_every_point);
}

}  // namespace kvb
