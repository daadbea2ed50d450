#include "steps/window.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "record/split_error.h"

namespace kvb {

namespace {

std::optional<double> seconds_value(std::string_view text) {
  double value = 0.0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace

std::string seconds_text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, std::fabs(seconds) < 1e9 ? "%.3f s" : "%g s", seconds);
  return text;
}

std::optional<WindowRequest> parse_window(std::string_view text, std::string& why) {
  if (text == "auto") return WindowRequest{true, 0.0, 0.0};
  auto colon = text.find(':');
  if (colon == std::string_view::npos) {
    why = "is neither auto nor START:END";
    return std::nullopt;
  }
  auto start = seconds_value(text.substr(0, colon));
  auto end = seconds_value(text.substr(colon + 1));
  if (!start || !end) {
    why = "needs START and END in seconds, as in 20:120";
    return std::nullopt;
  }
  if (*start < 0 || *end <= *start) {
    why = "needs 0 <= START < END";
    return std::nullopt;
  }
  return WindowRequest{false, *start, *end};
}

Window strongest_window(const std::vector<const std::vector<double>*>& components, std::size_t max) {
  std::size_t n = 0;
  for (const auto* c : components) n = std::max(n, c->size());
  if (n <= max) return {0, n};
  // energy[k] = the squares of the samples before k, all components together.
  std::vector<long double> energy(n + 1, 0.0L);
  for (std::size_t k = 0; k < n; ++k) {
    long double square = 0.0L;
    for (const auto* c : components) {
      if (k < c->size()) square += static_cast<long double>((*c)[k]) * (*c)[k];
    }
    energy[k + 1] = energy[k] + square;
  }
  // The shaking's onset stays in: of the windows that hold the most, within
  // 0.1 %, the earliest (a later one gains a trace of coda, loses the onset).
  long double most = 0.0L;
  for (std::size_t first = 0; first + max <= n; ++first) most = std::max(most, energy[first + max] - energy[first]);
  Window best{0, max};
  while (energy[best.first + max] - energy[best.first] < most * (1.0L - 1e-3L)) ++best.first;
  return best;
}

Window window_in_seconds(const WindowRequest& request, double interval, std::size_t samples, std::size_t max) {
  constexpr double kSlack = 1e-9;  // a sample on START or END is inside
  const std::string window = "the window " + seconds_text(request.start) + " to " + seconds_text(request.end);
  const double last_time = samples == 0 ? 0.0 : static_cast<double>(samples - 1) * interval;
  if (samples == 0 || request.end > last_time + interval * kSlack)
    throw SplitError(window + " is not inside the record, whose last sample is at " + seconds_text(last_time));
  const auto first = static_cast<std::size_t>(std::ceil(request.start / interval - kSlack));
  const auto last = static_cast<std::size_t>(std::floor(request.end / interval + kSlack));
  if (last < first) throw SplitError(window + " holds no sample");
  const std::size_t count = last - first + 1;
  if (count > max)
    throw SplitError(window + " holds " + std::to_string(count) + " samples; read-KVB holds at most " +
                     std::to_string(max) + " (" + seconds_text(static_cast<double>(max - 1) * interval) + ")");
  return {first, count};
}

}  // namespace kvb
