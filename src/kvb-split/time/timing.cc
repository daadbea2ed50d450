#include "time/timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "split_error.h"
#include "time/resample.h"

namespace {

bool same_interval(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(a, b); }

std::string seconds_text(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", s);
  return text;
}

std::string factor_text(double f) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", f);
  return text;
}

std::string name_of(const Channel& ch) { return ch.source + (ch.number.empty() ? "" : " channel " + ch.number); }

// The smallest and largest step between a channel's sample times.
std::string steps_text(const std::vector<double>& times) {
  double low = 0, high = 0;
  for (std::size_t k = 1; k < times.size(); ++k) {
    const double step = times[k] - times[k - 1];
    if (k == 1 || step < low) low = step;
    if (k == 1 || step > high) high = step;
  }
  return interval_text(std::round(low * 1e6) / 1e6) + " to " + interval_text(std::round(high * 1e6) / 1e6);
}

// Every channel at an even interval: uneven times are refused, or put on an
// even grid (at the median step) when an option lets the record change.
void even_out(std::array<Channel, 3>& chosen, std::size_t count, const TimeOptions& options, RecordFacts& facts) {
  for (std::size_t c = 0; c < count; ++c) {
    Channel& ch = chosen[c];
    if (ch.times.empty()) continue;
    if (options.interval == IntervalChoice::kRefuse)
      throw SplitError(name_of(ch) + ": the samples are at uneven times (steps of " + steps_text(ch.times) +
                       "), but read-KVB's time column assumes an even 0.005 s; use --resample (the "
                       "samples are put on an even grid by linear interpolation, then resampled to "
                       "0.005 s) or --keep-interval (only the even grid)");
    const double step = even_step(ch.times);
    ch.samples = to_even_grid(ch.times, ch.samples, step);
    ch.times.clear();
    ch.interval = step;
    ch.data_lines.clear();
    facts.uneven_times = true;
  }
}

}  // namespace

std::string interval_text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", seconds);
  return text;
}

RecordFacts settle_time(std::array<Channel, 3>& chosen, const TimeOptions& options,
                        std::vector<std::string>& warnings) {
  RecordFacts facts;
  const std::size_t count = options.vertical_zeros ? 2 : 3;  // channels with samples of their own
  for (std::size_t c = 0; c < 3; ++c) {
    RecordComponent& rc = facts.components[c];
    rc.channel = c < count ? &chosen[c] : nullptr;
    if (!rc.channel) continue;
    rc.source_samples = chosen[c].samples.size();
    rc.source_interval = chosen[c].times.empty() ? chosen[c].interval : 0.0;
  }
  for (std::size_t c = 0; c < count; ++c) {
    const double dt = chosen[c].interval;
    if (chosen[c].times.empty() && !(std::isfinite(dt) && dt > 0))
      throw SplitError(name_of(chosen[c]) + ": no usable sample interval (" + interval_text(dt) + ")");
  }
  even_out(chosen, count, options, facts);

  // One interval for all, then read-KVB's or, when asked, the record's own.
  const double interval = chosen[0].interval;
  facts.source_interval = interval;
  bool shared = true;
  for (std::size_t c = 1; c < count; ++c) shared = shared && same_interval(chosen[c].interval, interval);
  const bool off_step = !shared || !same_interval(interval, kReadKvbInterval);
  if (off_step && options.interval == IntervalChoice::kRefuse) {
    std::string which = interval_text(interval);
    if (!shared) {
      which = "";
      for (std::size_t c = 0; c < count; ++c)
        which += (c ? ", " : "") + name_of(chosen[c]) + " " + interval_text(chosen[c].interval);
    }
    throw SplitError("the sample interval is " + which +
                     ", but read-KVB's time column assumes 0.005 s; use --resample to resample the "
                     "record to 0.005 s, or --keep-interval to keep its samples (the CSV's time "
                     "column then needs scaling by interval/0.005)");
  }
  if (off_step && options.interval == IntervalChoice::kResample) {
    for (std::size_t c = 0; c < count; ++c) {
      Channel& ch = chosen[c];
      if (same_interval(ch.interval, kReadKvbInterval)) continue;
      ch.samples = resample(ch.samples, ch.interval, kReadKvbInterval);
      ch.interval = kReadKvbInterval;
      ch.data_lines.clear();
      facts.resampled = true;
    }
  }
  for (std::size_t c = 1; c < count; ++c) {
    if (!same_interval(chosen[c].interval, chosen[0].interval))
      throw SplitError("the channels keep different intervals (" + name_of(chosen[0]) + " " +
                       interval_text(chosen[0].interval) + ", " + name_of(chosen[c]) + " " +
                       interval_text(chosen[c].interval) + "), but the CSV has one time column; use --resample");
  }
  const double dt = chosen[0].interval;
  if (off_step && options.interval == IntervalChoice::kKeep && !same_interval(dt, kReadKvbInterval)) {
    facts.kept_interval = true;
    warnings.push_back("the sample interval " + interval_text(dt) + " is kept: multiply the CSV's time column by " +
                       factor_text(dt / kReadKvbInterval) + " (" + interval_text(dt) + "/0.005 s)");
  }
  facts.csv_time_step = dt;

  // A vertical of zeros as long as the longest horizontal.
  std::size_t samples = 0;
  for (std::size_t c = 0; c < count; ++c) samples = std::max(samples, chosen[c].samples.size());
  if (options.vertical_zeros) {
    chosen[2].samples.assign(samples, 0.0);
    chosen[2].interval = dt;
    facts.vertical_zeros = true;
  }

  // At most what read-KVB holds, or the window asked for.
  if (samples > kReadKvbRealSamples && !options.window)
    throw SplitError("the record lasts " + seconds_text(static_cast<double>(samples - 1) * dt) + " (" +
                     std::to_string(samples) + " samples at " + interval_text(dt) + "), but read-KVB holds at most " +
                     std::to_string(kReadKvbRealSamples) + " samples a component (" +
                     seconds_text(static_cast<double>(kReadKvbRealSamples - 1) * dt) +
                     "); use --window auto (the strongest shaking) or --window START:END (seconds)");
  if (options.window) {
    Window w;
    if (options.window->automatic) {
      std::vector<const std::vector<double>*> parts;
      for (std::size_t c = 0; c < count; ++c) parts.push_back(&chosen[c].samples);
      w = strongest_window(parts, kReadKvbRealSamples);
    } else {
      w = window_in_seconds(*options.window, dt, samples, kReadKvbRealSamples);
    }
    for (Channel& ch : chosen) {
      const std::size_t first = std::min(w.first, ch.samples.size());
      const std::size_t last = std::min(w.first + w.count, ch.samples.size());
      if (first != 0 || last != ch.samples.size()) ch.data_lines.clear();
      ch.samples = std::vector<double>(ch.samples.begin() + static_cast<std::ptrdiff_t>(first),
                                       ch.samples.begin() + static_cast<std::ptrdiff_t>(last));
    }
    facts.window = RecordFacts::Cut{options.window->automatic,
                                    static_cast<double>(w.first) * dt,
                                    static_cast<double>(w.first + w.count - 1) * dt,
                                    w.first,
                                    w.count,
                                    samples};
  }

  const double start = facts.window ? facts.window->start : 0.0;
  for (std::size_t c = 0; c < 3; ++c) {
    facts.components[c].samples = chosen[c].samples.size();
    facts.components[c].peak = peak_of(chosen[c].samples, dt, start);
  }
  return facts;
}
