#include "steps/measure/rotd.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace kvb {

namespace {

constexpr int kAngles = 180;

void load(Quad& q, const double* p) { std::memcpy(&q, p, sizeof q); }

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

// The points that may reach the largest |projection| in some direction:
// those outside the octagon of the points furthest along ±x, ±y, ±(x+y) and
// ±(x-y), and of their negatives (a point inside it is inside the hull of
// the points and their negatives, so it reaches no such largest). Most of a
// record's response is small, so few points are left. Two passes, four
// points a vector: the four largest |projections| and where they are; the
// test, first against a disc inside the octagon, then against its edges.
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
std::vector<Point>
hull_candidates(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = x.size(), whole = n / 4 * 4;  // four points at a time, then the rest
  using Index = decltype(Quad{} > Quad{});            // four lanes of 64-bit integers
  Quad most4[4] = {};
  Index at4[4] = {};  // where each lane's largest is
  for (std::size_t k = 0; k < whole; k += 4) {
    Quad qx, qy;
    load(qx, &x[k]);
    load(qy, &y[k]);
    const auto i = static_cast<long long>(k);
    const Index here = {i, i + 1, i + 2, i + 3};
    const Quad along[4] = {qx, qx + qy, qy, qy - qx};
    for (std::size_t d = 0; d < 4; ++d) {
      const Quad size = reinterpret_cast<Quad>(reinterpret_cast<Index>(along[d]) & ~reinterpret_cast<Index>(-Quad{}));
      const Index more = size > most4[d];
      most4[d] =
          reinterpret_cast<Quad>((more & reinterpret_cast<Index>(size)) | (~more & reinterpret_cast<Index>(most4[d])));
      at4[d] = (more & here) | (~more & at4[d]);
    }
  }
  double most[4] = {-1, -1, -1, -1};
  std::size_t at[4] = {};
  for (std::size_t d = 0; d < 4; ++d) {
    for (std::size_t l = 0; l < 4 && whole > 0; ++l) {
      if (most4[d][l] > most[d]) most[d] = most4[d][l], at[d] = static_cast<std::size_t>(at4[d][l]);
    }
  }
  for (std::size_t k = whole; k < n; ++k) {
    const double along[4] = {x[k], x[k] + y[k], y[k], y[k] - x[k]};
    for (std::size_t d = 0; d < 4; ++d)
      if (std::fabs(along[d]) > most[d]) most[d] = std::fabs(along[d]), at[d] = k;
  }
  Point far[4] = {};  // in turn round the origin: along x, x+y, y, y-x, each turned to the positive side
  for (std::size_t d = 0; d < 4 && n > 0; ++d) {
    const std::size_t k = at[d];
    const double along[4] = {x[k], x[k] + y[k], y[k], y[k] - x[k]};
    far[d] = along[d] < 0 ? Point{-x[k], -y[k]} : Point{x[k], y[k]};
  }
  // The octagon far[0..3], -far[0..3] is symmetric: four edges give its
  // distance from the origin, and four pairs of parallel edges its inside.
  double radius = INFINITY, reach[4];
  Point normal[4];
  for (std::size_t i = 0; i < 4; ++i) {
    const Point a = far[i], b = i < 3 ? far[i + 1] : Point{-far[0].x, -far[0].y};
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length > 0) radius = std::min(radius, std::fabs(cross(a, b, Point{0, 0})) / length);
    normal[i] = {a.y - b.y, b.x - a.x};
    reach[i] = std::fabs(normal[i].x * a.x + normal[i].y * a.y) * (1 - 1e-9);
  }
  if (!std::isfinite(radius)) radius = 0;
  const double inside = radius * radius * (1 - 1e-9);
  std::vector<Point> out;
  const auto keep_if_outside = [&](std::size_t k) {
    bool within = true;
    for (std::size_t i = 0; i < 4 && within; ++i)
      within = std::fabs(normal[i].x * x[k] + normal[i].y * y[k]) < reach[i];
    if (!within) out.push_back({x[k], y[k]});
  };
  const Quad inside4 = Quad{0, 0, 0, 0} + inside;
  for (std::size_t k = 0; k < whole; k += 4) {
    Quad qx, qy;
    load(qx, &x[k]);
    load(qy, &y[k]);
    const auto beyond = qx * qx + qy * qy >= inside4;  // all ones outside the disc
    for (std::size_t l = 0; l < 4; ++l)
      if (beyond[l]) keep_if_outside(k + l);
  }
  for (std::size_t k = whole; k < n; ++k)
    if (x[k] * x[k] + y[k] * y[k] >= inside) keep_if_outside(k);
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

// Four periods' oscillators under the two horizontals, eight recurrences
// that do not wait on each other, four to a vector (lanes: period 0 under
// a1, under a2, period 1 under a1, ...): each lane's displacements into
// u[lane·n ...]. As response_spectra's, with a copy for AVX2 processors.
constexpr std::size_t kPeriods = 4;

#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void displacements(const double* a1, const double* a2, std::size_t n, const double (&coefficients)[8][2 * kPeriods],
                   double* u) {
  Quad c[8][2], x[2] = {}, v[2] = {};
  for (std::size_t i = 0; i < 8; ++i)
    for (std::size_t q = 0; q < 2; ++q) std::memcpy(&c[i][q], &coefficients[i][4 * q], sizeof(Quad));
  for (std::size_t l = 0; l < 2 * kPeriods && n > 0; ++l) u[l * n] = 0.0;
  for (std::size_t k = 1; k < n; ++k) {
    const Quad g0 = {a1[k - 1], a2[k - 1], a1[k - 1], a2[k - 1]}, g1 = {a1[k], a2[k], a1[k], a2[k]};
    for (std::size_t q = 0; q < 2; ++q) {
      const Quad x1 = c[0][q] * x[q] + c[1][q] * v[q] + (c[2][q] * g0 + c[3][q] * g1);
      v[q] = c[4][q] * x[q] + c[5][q] * v[q] + (c[6][q] * g0 + c[7][q] * g1);
      x[q] = x1;
      for (std::size_t l = 0; l < 4; ++l) u[(4 * q + l) * n + k] = x1[l];
    }
  }
}

template <class PeaksOf>
std::vector<RotD> spectrum_by(std::span<const double> a1, std::span<const double> a2, double dt,
                              std::span<const double> periods, double damping, PeaksOf rotd) {
  const std::size_t n = std::min(a1.size(), a2.size());
  std::vector<double> u(2 * kPeriods * n);
  std::vector<RotD> out(periods.size());
  for (std::size_t first = 0; first < periods.size(); first += kPeriods) {
    double coefficients[8][2 * kPeriods], w2[kPeriods];
    for (std::size_t p = 0; p < kPeriods; ++p) {
      const Oscillator o(periods[std::min(first + p, periods.size() - 1)], damping, dt);
      const std::array<double, 8> c = o.coefficients();
      for (std::size_t i = 0; i < 8; ++i) coefficients[i][2 * p] = coefficients[i][2 * p + 1] = c[i];
      w2[p] = o.omega() * o.omega();
    }
    displacements(a1.data(), a2.data(), n, coefficients, u.data());
    for (std::size_t p = 0; p < kPeriods && first + p < periods.size(); ++p) {
      const RotD r = rotd(std::span<const double>(u.data() + 2 * p * n, n),
                          std::span<const double>(u.data() + (2 * p + 1) * n, n));
      out[first + p] = {w2[p] * r.rotd50, w2[p] * r.rotd100};
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
  const auto along = [&](std::size_t i, Point d) { return hull[i].x * d.x + hull[i].y * d.y; };
  const std::size_t v = hull.size();
  if (v < 3) {
    for (std::size_t j = 0; j < kAngles; ++j) {
      double most = 0.0;
      for (std::size_t i = 0; i < v; ++i) most = std::max(most, std::fabs(along(i, directions()[j])));
      peak[j] = most;
    }
    return from_peaks(peak);
  }
  // Round the hull (counter-clockwise) with the directions: the vertex
  // furthest along d, and the one furthest along -d, only move forward as d
  // turns (rotating calipers).
  std::size_t ahead = 0, behind = 0;
  for (std::size_t i = 1; i < v; ++i) {
    if (along(i, directions()[0]) > along(ahead, directions()[0])) ahead = i;
    if (along(i, directions()[0]) < along(behind, directions()[0])) behind = i;
  }
  for (std::size_t j = 0; j < kAngles; ++j) {
    const Point d = directions()[j];
    for (std::size_t steps = 0; steps < v && along((ahead + 1) % v, d) >= along(ahead, d); ++steps)
      ahead = (ahead + 1) % v;
    for (std::size_t steps = 0; steps < v && along((behind + 1) % v, d) <= along(behind, d); ++steps)
      behind = (behind + 1) % v;
    peak[j] = std::max(along(ahead, d), -along(behind, d));
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
