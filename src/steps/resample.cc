#include "steps/resample.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "record/split_error.h"

namespace kvb {

namespace {

// Instants are compared to a nanosecond: a 0.02 s record of 3250 samples ends
// at 64.98 s, which floating point may put a hair before or after.
constexpr double kInstantSlack = 1e-9;
// More samples than any caller asks for once it has checked its limits: a
// count above it is a fault, never a size to allocate.
constexpr double kMostSamples = 1e9;
// Room for libsoxr's filters and buffers: with 8 MB free, runs on records of
// up to 30000 samples under every ulimit -v from 7 to 20 MB end cleanly.
constexpr std::size_t kSoxrRoom = std::size_t{8} << 20;

double length_over(double duration, double step) { return std::floor(duration / step + kInstantSlack) + 1; }

std::size_t checked_count(double length) {
  if (!(length >= 0 && length <= kMostSamples))
    throw SplitError("the resampled record would hold " + std::to_string(length) + " samples");
  return static_cast<std::size_t>(length);
}

}  // namespace

std::string_view method_name(ResampleMethod method) {
  return method == ResampleMethod::kLinear ? "linear" : "band-limited";
}

std::string_view method_description(ResampleMethod method) {
  return method == ResampleMethod::kLinear
             ? "linear interpolation between the record's own samples"
             : "libsoxr, very high quality, linear phase (band-limited, with its anti-alias filter)";
}

bool whole_multiple(double from, double to) {
  const double ratio = from / to;
  return ratio >= 1 - kInstantSlack && std::fabs(ratio - std::round(ratio)) <= kInstantSlack * ratio;
}

bool same_interval(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(a, b); }

double resampled_length(std::size_t n, double from, double to) {
  return n == 0 ? 0 : length_over(static_cast<double>(n - 1) * from, to);
}

std::size_t resampled_count(std::size_t n, double from, double to) {
  return checked_count(resampled_length(n, from, to));
}

std::vector<double> resample_linear(const std::vector<double>& x, double from, double to) {
  std::vector<double> y(resampled_count(x.size(), from, to));
  for (std::size_t j = 0; j < y.size(); ++j) {
    const double at = static_cast<double>(j) * to / from;  // in samples of x
    const double below = std::floor(at + kInstantSlack);
    const auto k = std::min(static_cast<std::size_t>(below), x.size() - 1);
    const double w = at - below;
    y[j] = w <= kInstantSlack || k + 1 == x.size() ? x[k] : x[k] + w * (x[k + 1] - x[k]);
  }
  return y;
}

std::vector<double> resample(const std::vector<double>& x, double from, double to) {
  const std::size_t count = resampled_count(x.size(), from, to);
  if (x.size() < 2) return x;
  std::vector<double> y(count);
  // libsoxr does not check every allocation it makes: with little memory left
  // (ulimit -v) it would crash. What it takes for its filters and buffers is
  // asked for first, and given back, so that a lack of it is an error here.
  if (void* room = std::malloc(kSoxrRoom)) {
    std::free(room);
  } else {
    throw SplitError("not enough memory for band-limited resampling; --resample=linear needs less");
  }
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, SOXR_LINEAR_PHASE);
  std::size_t used = 0, made = 0;
  // The one-shot call takes in the whole record and flushes the filter: its
  // output starts at the input's first instant.
  soxr_error_t error = soxr_oneshot(1.0 / from, 1.0 / to, 1, x.data(), x.size(), &used, y.data(), y.size(), &made, &io,
                                    &quality, nullptr);
  if (!error && made < count && made + 1 >= count) {
    // Its output ends at the input's length times the ratio: short of a last
    // instant that lies on the new grid at the record's very end when the
    // ratio is below one half. The record's last sample held for a new step
    // brings it in.
    std::vector<double> held = x;
    held.resize(x.size() + static_cast<std::size_t>(std::ceil(to / from)), x.back());
    std::vector<double> more(count + held.size());
    error = soxr_oneshot(1.0 / from, 1.0 / to, 1, held.data(), held.size(), &used, more.data(), more.size(), &made, &io,
                         &quality, nullptr);
    made = std::min(made, count);
    std::copy_n(more.begin(), made, y.begin());
  }
  if (error) throw SplitError(std::string("resampling failed: ") + error);
  if (made != count)
    throw SplitError("band-limited resampling gave " + std::to_string(made) + " samples, not " + std::to_string(count) +
                     ": the record of " + std::to_string(x.size()) +
                     " samples is too short for its filter; --resample=linear resamples it");
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

double even_grid_length(const std::vector<double>& times, double step) {
  return times.empty() ? 0 : length_over(times.back() - times.front(), step);
}

std::vector<double> to_even_grid(const std::vector<double>& times, const std::vector<double>& x, double step) {
  for (std::size_t k = 1; k < times.size(); ++k) {
    if (!(times[k] > times[k - 1]))
      throw SplitError("the sample times do not increase at sample " + std::to_string(k + 1) + " (" +
                       std::to_string(times[k - 1]) + " s, then " + std::to_string(times[k]) + " s)");
  }
  if (times.empty()) return {};
  std::vector<double> y(checked_count(even_grid_length(times, step)));
  std::size_t k = 0;  // times[k] <= t < times[k + 1]
  for (std::size_t j = 0; j < y.size(); ++j) {
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

}  // namespace kvb
