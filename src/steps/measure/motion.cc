#include "steps/measure/motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace kvb;

namespace {

// When the running sum husid (at samples dt apart) reaches level.
double time_reaching(const std::vector<double>& husid, double level, double dt) {
  std::size_t k = 1;
  while (k + 1 < husid.size() && husid[k] < level) ++k;
  const double rise = husid[k] - husid[k - 1];
  const double part = rise > 0 ? (level - husid[k - 1]) / rise : 0.0;
  return (static_cast<double>(k - 1) + part) * dt;
}

// ∫|a| over one step of unit length, a going linearly from a0 to a1.
double area_of_magnitude(double a0, double a1) {
  if ((a0 >= 0) == (a1 >= 0) || a0 == 0 || a1 == 0) return (std::fabs(a0) + std::fabs(a1)) / 2;
  return (a0 * a0 + a1 * a1) / (2 * (std::fabs(a0) + std::fabs(a1)));  // two triangles either side of the zero
}

}  // namespace

Motion motion_of(const std::vector<double>& accel, double dt) {
  Motion m;
  std::vector<double> husid(accel.size(), 0.0);  // ∫a² dt so far, (cm/s²)² s
  double v = 0.0, d = 0.0;
  for (std::size_t k = 0; k < accel.size(); ++k) {
    if (std::fabs(accel[k]) > m.pga) {
      m.pga = std::fabs(accel[k]);
      m.pga_time = static_cast<double>(k) * dt;
    }
    if (k == 0) continue;
    const double v_next = v + dt * (accel[k - 1] + accel[k]) / 2;
    d += dt * (v + v_next) / 2;
    v = v_next;
    m.pgv = std::max(m.pgv, std::fabs(v));
    m.pgd = std::max(m.pgd, std::fabs(d));
    husid[k] = husid[k - 1] + dt * (accel[k - 1] * accel[k - 1] + accel[k] * accel[k]) / 2;
    m.cav += dt * area_of_magnitude(accel[k - 1], accel[k]);
  }
  m.final_velocity = v;
  const double whole = husid.empty() ? 0.0 : husid.back();
  // π/(2g) ∫a² dt with a and g in m/s².
  m.arias = std::numbers::pi / (2 * kStandardGravity / 100) * whole / 1e4;
  if (whole > 0) {
    const double start = time_reaching(husid, 0.05 * whole, dt);
    m.d5_95 = time_reaching(husid, 0.95 * whole, dt) - start;
    m.d5_75 = time_reaching(husid, 0.75 * whole, dt) - start;
  }
  return m;
}
