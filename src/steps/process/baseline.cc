// The record's zero line: the pre-event mean, and the polynomial baseline
// fitted to the displacement after the band-pass.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "steps/process/filters.h"

namespace kvb {

double remove_mean(std::vector<double>& x, std::size_t pre_event) {
  if (x.empty()) return 0.0;
  const std::size_t n = pre_event == 0 || pre_event > x.size() ? x.size() : pre_event;
  const double mean =
      std::accumulate(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), 0.0) / static_cast<double>(n);
  for (double& v : x) v -= mean;
  return mean;
}

std::array<double, 5> remove_baseline(std::vector<double>& x, double dt) {
  constexpr int kTerms = 5;  // t² .. t⁶
  std::array<double, kTerms> c{};
  const std::size_t n = x.size();
  if (n < 2 * kTerms) return c;

  // Velocity and displacement from rest.
  std::vector<double> d(n, 0.0);
  double v = 0.0;
  for (std::size_t k = 1; k < n; ++k) {
    const double v_next = v + 0.5 * dt * (x[k - 1] + x[k]);
    d[k] = d[k - 1] + 0.5 * dt * (v + v_next);
    v = v_next;
  }

  // The normal equations in s = t/T (T the record's length), which keeps
  // them well conditioned: the powers s² .. s⁶ against the displacement.
  const double T = static_cast<double>(n - 1) * dt;
  double a[kTerms][kTerms + 1] = {};
  for (std::size_t k = 0; k < n; ++k) {
    const double s = static_cast<double>(k) / static_cast<double>(n - 1);
    double p[kTerms];
    p[0] = s * s;
    for (int j = 1; j < kTerms; ++j) p[j] = p[j - 1] * s;
    for (int i = 0; i < kTerms; ++i) {
      for (int j = 0; j < kTerms; ++j) a[i][j] += p[i] * p[j];
      a[i][kTerms] += p[i] * d[k];
    }
  }
  // Gaussian elimination with partial pivoting.
  for (int col = 0; col < kTerms; ++col) {
    int pivot = col;
    for (int r = col + 1; r < kTerms; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    std::swap(a[col], a[pivot]);
    for (int r = col + 1; r < kTerms; ++r) {
      const double f = a[r][col] / a[col][col];
      for (int j = col; j <= kTerms; ++j) a[r][j] -= f * a[col][j];
    }
  }
  double q[kTerms];  // coefficients of s^(i+2)
  for (int i = kTerms - 1; i >= 0; --i) {
    double sum = a[i][kTerms];
    for (int j = i + 1; j < kTerms; ++j) sum -= a[i][j] * q[j];
    q[i] = sum / a[i][i];
  }

  // The second derivative in t: Σ q·m(m-1)·s^(m-2) / T², m = 2 .. 6.
  for (std::size_t k = 0; k < n; ++k) {
    const double s = static_cast<double>(k) / static_cast<double>(n - 1);
    double sp = 1.0, curvature = 0.0;
    for (int i = 0; i < kTerms; ++i) {
      const int m = i + 2;
      curvature += q[i] * m * (m - 1) * sp;
      sp *= s;
    }
    x[k] -= curvature / (T * T);
  }
  for (int i = 0; i < kTerms; ++i) c[static_cast<std::size_t>(i)] = q[i] / std::pow(T, i + 2);
  return c;
}

}  // namespace kvb
