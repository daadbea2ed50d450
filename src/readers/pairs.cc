#include "readers/pairs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "readers/samples.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

std::string seconds(double t) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", t);
  return text;
}

}  // namespace

void TimedSamples::add(double t, double unit, double value, long line) {
  if (!std::isfinite(t)) file_.fail_at(line, "the time " + seconds(t) + " is not a number of seconds");
  half_unit_ = std::max(half_unit_, unit / 2);
  finest_unit_ = finest_unit_ > 0 ? std::min(finest_unit_, unit) : unit;
  add_sample_at(ch_, value, file_, line);
  if (!ch_.times.empty() && t == ch_.times.back()) {
    // A time printed twice is one instant: the digitiser read two values
    // closer together than the times' last digit can tell apart (22.2 s, then
    // 22.2 s). Their mean stands for both: neither reading is the better one,
    // and a second sample at one instant would make the grid's step zero.
    sum_ += ch_.samples.back();
    ch_.samples.pop_back();
    ch_.samples.back() = sum_ / static_cast<double>(++at_instant_);
    return;
  }
  if (!ch_.times.empty() && t < ch_.times.back())
    file_.fail_at(line, "the times go back from " + seconds(ch_.times.back()) + " to " + seconds(t));
  ch_.times.push_back(t);
  at_instant_ = 1;
  sum_ = ch_.samples.back();
}

void TimedSamples::finish(long first_line) {
  const std::vector<double>& times = ch_.times;
  if (times.size() < 2) return;
  // The step is one the times could be printed with: 5.5 ms is no step of
  // times printed to the millisecond (0.000, 0.005, 0.011 are uneven).
  double step = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
  if (finest_unit_ > 0) step = std::round(step / finest_unit_) * finest_unit_;
  const double slack = half_unit_ + 1e-9 * std::max(1.0, std::fabs(times.back()));
  bool even = true;
  for (std::size_t k = 1; k < times.size() && even; ++k)
    even = std::fabs(times[k] - times.front() - static_cast<double>(k) * step) <= slack;
  if (even) {
    ch_.interval = checked_interval(file_, first_line, std::round(step * 1e9) / 1e9);
    ch_.times.clear();
    return;
  }
  // The even grid they go on has the middle step.
  std::vector<double> steps;
  for (std::size_t k = 1; k < times.size(); ++k) steps.push_back(times[k] - times[k - 1]);
  auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
  std::nth_element(steps.begin(), middle, steps.end());
  if (!(*middle >= kShortestInterval && *middle <= kLongestInterval))
    file_.fail_at(first_line,
                  "the middle step between the sample times, " + seconds(*middle) + ", is not between 1 µs and 10 s");
}

}  // namespace kvb
