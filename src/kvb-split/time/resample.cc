#include "time/resample.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "split_error.h"

namespace {

// Instants are compared to a nanosecond: a 0.02 s record of 3250 samples ends
// at 64.98 s, which floating point may put a hair before or after.
constexpr double kInstantSlack = 1e-9;

std::size_t samples_until(double duration, double step) {
  return static_cast<std::size_t>(std::floor(duration / step + kInstantSlack)) + 1;
}

}  // namespace

std::size_t resampled_count(std::size_t n, double from, double to) {
  if (n == 0) return 0;
  return samples_until(static_cast<double>(n - 1) * from, to);
}

std::vector<double> resample(const std::vector<double>& x, double from, double to) {
  const std::size_t count = resampled_count(x.size(), from, to);
  if (x.size() < 2) return x;
  std::vector<double> y(count);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, SOXR_LINEAR_PHASE);
  std::size_t used = 0, made = 0;
  // The one-shot call takes in the whole record and flushes the filter: its
  // output starts at the input's first instant.
  soxr_error_t error = soxr_oneshot(1.0 / from, 1.0 / to, 1, x.data(), x.size(), &used, y.data(), y.size(), &made, &io,
                                    &quality, nullptr);
  if (error) throw SplitError(std::string("resampling failed: ") + error);
  if (made != count)
    throw SplitError("resampling gave " + std::to_string(made) + " samples, not " + std::to_string(count));
  return y;
}

double even_step(const std::vector<double>& times) {
  std::vector<double> steps;
  for (std::size_t k = 1; k < times.size(); ++k) steps.push_back(times[k] - times[k - 1]);
  if (steps.empty()) return 0.0;
  auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
  std::nth_element(steps.begin(), middle, steps.end());
  return std::round(*middle * 1e6) / 1e6;
}

std::vector<double> to_even_grid(const std::vector<double>& times, const std::vector<double>& x, double step) {
  for (std::size_t k = 1; k < times.size(); ++k) {
    if (!(times[k] > times[k - 1]))
      throw SplitError("the sample times do not increase at sample " + std::to_string(k + 1) + " (" +
                       std::to_string(times[k - 1]) + " s, then " + std::to_string(times[k]) + " s)");
  }
  if (times.empty()) return {};
  const std::size_t count = samples_until(times.back() - times.front(), step);
  std::vector<double> y(count);
  std::size_t k = 0;  // times[k] <= t < times[k + 1]
  for (std::size_t j = 0; j < count; ++j) {
    const double t = times.front() + static_cast<double>(j) * step;
    while (k + 2 < times.size() && times[k + 1] <= t) ++k;
    if (k + 1 == times.size() || t <= times[k]) {
      y[j] = x[k];
      continue;
    }
    const double w = std::min(1.0, (t - times[k]) / (times[k + 1] - times[k]));
    y[j] = x[k] + w * (x[k + 1] - x[k]);
  }
  return y;
}
