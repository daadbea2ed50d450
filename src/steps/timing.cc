#include "steps/timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "readers/text_fields.h"
#include "record/split_error.h"
#include "steps/full_record.h"

namespace kvb {

namespace {

// A change of the peak beyond this share is a warning.
constexpr double kPeakTolerance = 0.01;
// The CSV's last decimal, in cm/s²: a peak below a thousand of them shows
// as a staircase.
constexpr double kCsvStep = 0.001;

std::string number_text(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string name_of(const Channel& ch) {
  return escaped(ch.source) + (ch.number.empty() ? "" : " channel " + escaped(ch.number));
}

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

// An interval a record can have: finite, a microsecond to ten seconds. What
// names the interval in the message: "r.v2 channel 1: the sample interval".
void check_interval(const std::string& what, double seconds) {
  if (!(seconds >= kShortestInterval && seconds <= kLongestInterval))
    throw SplitError(what + ", " + interval_text(seconds) + ", is not between 1 µs and 10 s");
}

// Stops before a channel of samples samples at dt is made: beyond what
// read-KVB holds (unless it will be cut or resampled), or beyond what
// kvb-split makes at all.
void check_length(double samples, double dt, bool on_its_way) {
  if (samples > static_cast<double>(layout::kRealSamples) && !on_its_way)
    throw SplitError("the record lasts " + seconds_text((samples - 1) * dt) + " (" + number_text("%.0f", samples) +
                     " samples at " + interval_text(dt) + "), but read-KVB holds at most " +
                     std::to_string(layout::kRealSamples) + " samples a component (" +
                     seconds_text(static_cast<double>(layout::kRealSamples - 1) * dt) +
                     "); use --window auto (the strongest shaking) or --window START:END (seconds)");
  if (samples > static_cast<double>(kMostRecordSamples))
    throw SplitError("the record would hold " + number_text("%.0f", samples) + " samples at " + interval_text(dt) +
                     " (" + seconds_text((samples - 1) * dt) + "), more than the " +
                     std::to_string(kMostRecordSamples) + " kvb-split puts on its way to a window");
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
    double step = ch.times.size() < 2 ? kReadKvbInterval : even_step(ch.times);
    check_interval(name_of(ch) + ": the median step between its sample times", step);
    // Resampled later, the grid is only on its way; kept, it is the record.
    const bool resampled_later =
        options.interval == IntervalChoice::kResample && !same_interval(step, kReadKvbInterval);
    // On its way to 0.005 s the grid ends on the last sample, which stays in
    // the record where it lies on the new grid: its step is the median's
    // nearest that divides the record's span.
    const double span = ch.times.back() - ch.times.front();
    if (resampled_later && span > 0) step = span / std::max(1.0, std::round(span / step));
    check_length(even_grid_length(ch.times, step), step, options.window || resampled_later);
    try {
      ch.samples = to_even_grid(ch.times, ch.samples, step);
    } catch (const SplitError& e) { throw SplitError(name_of(ch) + ": " + e.what()); }
    ch.times.clear();
    ch.interval = step;
    ch.data_lines.clear();
    facts.uneven_times = true;
  }
}

// --resample's method: as asked, else linear where every channel's interval
// is a whole multiple of 0.005 s as the file gives it, band-limited otherwise.
ResampleMethod method_for(const std::array<Channel, 3>& chosen, std::size_t count, const TimeOptions& options,
                          bool uneven) {
  if (options.method) return *options.method;
  bool whole = !uneven;
  for (std::size_t c = 0; c < count; ++c) whole = whole && whole_multiple(chosen[c].interval, kReadKvbInterval);
  return whole ? ResampleMethod::kLinear : ResampleMethod::kBandLimited;
}

void resample_all(std::array<Channel, 3>& chosen, std::size_t count, const TimeOptions& options, RecordFacts& facts) {
  const ResampleMethod method = method_for(chosen, count, options, facts.uneven_times);
  for (std::size_t c = 0; c < count; ++c) {
    Channel& ch = chosen[c];
    if (same_interval(ch.interval, kReadKvbInterval)) continue;
    check_length(resampled_length(ch.samples.size(), ch.interval, kReadKvbInterval), kReadKvbInterval,
                 options.window.has_value());
    try {
      ch.samples = method == ResampleMethod::kLinear ? resample_linear(ch.samples, ch.interval, kReadKvbInterval)
                                                     : resample(ch.samples, ch.interval, kReadKvbInterval);
    } catch (const std::bad_alloc&) {
      throw SplitError(name_of(ch) + ": not enough memory to resample " + std::to_string(ch.samples.size()) +
                       " samples");
    }
    ch.interval = kReadKvbInterval;
    ch.data_lines.clear();
    facts.resampled = method;
  }
}

// What the user must know about the peaks written: one that differs from the
// record's by more than kPeakTolerance, one too small for the CSV's decimals.
void warn_about_peaks(const std::array<Channel, 3>& chosen, const RecordFacts& facts,
                      std::vector<std::string>& warnings) {
  for (std::size_t c = 0; c < 3; ++c) {
    const RecordComponent& rc = facts.components[c];
    if (!rc.channel) continue;
    const std::string peak = number_text("%.3f", rc.peak.value) + " cm/s²";
    if (auto change = rc.peak_change(); change && std::fabs(*change) > kPeakTolerance) {
      std::string why;
      if (facts.resampled == ResampleMethod::kBandLimited)
        why = whole_multiple(rc.source_interval, kReadKvbInterval)
                  ? " (band-limited resampling; --resample=linear keeps the record's own samples)"
                  : " (band-limited resampling)";
      warnings.push_back(std::string(layout::kComponents[c]) + ": the peak written, " + peak + ", differs by " +
                         number_text("%+.1f", 100 * *change) + " % from the record's " +
                         number_text("%.3f", rc.source_peak->value) + " cm/s²" + why);
    }
    const std::vector<double>& x = chosen[c].samples;
    if (x.empty() || std::fabs(rc.peak.value) >= 1.0) continue;
    // The CSV's values between the lowest sample (or zero) and the highest.
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    const double levels = std::round(std::max(*high, 0.0) / kCsvStep) - std::round(std::min(*low, 0.0) / kCsvStep) + 1;
    warnings.push_back(std::string(layout::kComponents[c]) + ": the peak is " + peak +
                       "; the CSV's 0.001 cm/s² steps give " + "it only " + number_text("%.0f", levels) +
                       (levels == 1 ? " level" : " levels"));
  }
}

// The facts of the chosen channels as read: which component has a channel of
// its own (the first count), and each one's samples, interval and peak.
RecordFacts facts_as_read(const std::array<Channel, 3>& chosen, std::size_t count) {
  RecordFacts facts;
  for (std::size_t c = 0; c < 3; ++c) {
    RecordComponent& rc = facts.components[c];
    rc.channel = c < count ? &chosen[c] : nullptr;
    if (!rc.channel) continue;
    rc.source_samples = chosen[c].samples.size();
    rc.source_interval = chosen[c].times.empty() ? chosen[c].interval : 0.0;
    rc.source_peak = source_peak_of(chosen[c]);
  }
  for (std::size_t c = 0; c < count; ++c) {
    if (chosen[c].times.empty()) check_interval(name_of(chosen[c]) + ": the sample interval", chosen[c].interval);
  }
  return facts;
}

// The window a record would need besides --resample or --keep-interval,
// where either would leave it longer than read-KVB holds: so that the
// advice is whole, not one refusal after another.
std::string window_too(const std::array<Channel, 3>& chosen, std::size_t count) {
  std::size_t n = 0;
  for (std::size_t c = 0; c < count; ++c) n = std::max(n, chosen[c].samples.size());
  const auto most = static_cast<double>(layout::kRealSamples);
  const bool kept_long = static_cast<double>(n) > most;
  const bool resampled_long = resampled_length(n, chosen[0].interval, kReadKvbInterval) > most;
  if (!kept_long && !resampled_long) return "";
  const char* which = !resampled_long ? "with --keep-interval" : !kept_long ? "resampled" : "either way";
  return std::string("; ") + which +
         ", the record is longer than read-KVB holds: add --window auto (the strongest shaking) or --window "
         "START:END";
}

// Stops a record off read-KVB's 0.005 s when no option lets it change: the
// interval, or (shared false) each channel's; with window_too the window it
// would need as well.
[[noreturn]] void refuse_interval(const std::array<Channel, 3>& chosen, std::size_t count, bool shared,
                                  const std::string& window_too) {
  std::string which = interval_text(chosen[0].interval);
  if (!shared) {
    which = "";
    for (std::size_t c = 0; c < count; ++c)
      which += (c ? ", " : "") + name_of(chosen[c]) + " " + interval_text(chosen[c].interval);
  }
  throw SplitError("the sample interval is " + which +
                   ", but read-KVB's time column assumes 0.005 s; use --resample to resample the "
                   "record to 0.005 s, or --keep-interval to keep its samples (the CSV's time "
                   "column then needs scaling by interval/0.005)" +
                   window_too);
}

// One interval for all, then read-KVB's or, when asked, the record's own;
// sets the facts' source interval and the CSV's time step.
void settle_interval(std::array<Channel, 3>& chosen, std::size_t count, const TimeOptions& options, RecordFacts& facts,
                     std::vector<std::string>& warnings) {
  const double interval = chosen[0].interval;
  facts.source_interval = interval;
  bool shared = true;
  for (std::size_t c = 1; c < count; ++c) shared = shared && same_interval(chosen[c].interval, interval);
  const bool off_step = !shared || !same_interval(interval, kReadKvbInterval);
  if (off_step && options.interval == IntervalChoice::kRefuse)
    refuse_interval(chosen, count, shared, shared && !options.window ? window_too(chosen, count) : "");
  // The full record at the record's own step, before any resampling; of
  // channels at different steps, only once they are resampled to one.
  const std::string even = facts.uneven_times ? "put on an even grid at the median step of the sample times" : "";
  if (shared) facts.full = full_record_of(chosen, count, even);
  if (off_step && options.interval == IntervalChoice::kResample) resample_all(chosen, count, options, facts);
  if (!shared) facts.full = full_record_of(chosen, count, "resampled to 0.005 s: the channels' own steps differ");
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
                       number_text("%g", dt / kReadKvbInterval) + " (" + interval_text(dt) + "/0.005 s)");
  }
  facts.csv_time_step = dt;
}

// Keeps the window asked for of a record of samples samples: at most what
// read-KVB holds.
void cut_window(std::array<Channel, 3>& chosen, std::size_t count, const WindowRequest& request, std::size_t samples,
                RecordFacts& facts) {
  const double dt = facts.csv_time_step;
  Window w;
  if (request.automatic) {
    std::vector<const std::vector<double>*> parts;
    for (std::size_t c = 0; c < count; ++c) parts.push_back(&chosen[c].samples);
    w = strongest_window(parts, layout::kRealSamples);
  } else {
    w = window_in_seconds(request, dt, samples, layout::kRealSamples);
  }
  for (Channel& ch : chosen) {
    const std::size_t first = std::min(w.first, ch.samples.size());
    const std::size_t last = std::min(w.first + w.count, ch.samples.size());
    if (first != 0 || last != ch.samples.size()) ch.data_lines.clear();
    ch.samples = std::vector<double>(ch.samples.begin() + static_cast<std::ptrdiff_t>(first),
                                     ch.samples.begin() + static_cast<std::ptrdiff_t>(last));
  }
  facts.window = RecordFacts::Cut{request.automatic,
                                  static_cast<double>(w.first) * dt,
                                  static_cast<double>(w.first + w.count - 1) * dt,
                                  w.first,
                                  w.count,
                                  samples};
}

}  // namespace

std::string interval_text(double seconds) { return number_text("%g s", seconds); }

namespace {

// settle_time of the first count channels, those with samples of their own;
// the others get zeros.
RecordFacts settle_own(std::array<Channel, 3>& chosen, std::size_t count, const TimeOptions& options,
                       std::vector<std::string>& warnings, const AtOwnStep& at_own_step) {
  RecordFacts facts = facts_as_read(chosen, count);
  even_out(chosen, count, options, facts);
  if (at_own_step && at_own_step(chosen, {count > 0, count > 1, count > 2})) {
    for (std::size_t c = 0; c < count; ++c)
      facts.components[c].source_peak = peak_of(chosen[c].samples, chosen[c].interval);
  }
  settle_interval(chosen, count, options, facts, warnings);
  const double dt = facts.csv_time_step;

  // Zeros as long as the longest channel.
  std::size_t samples = 0;
  for (std::size_t c = 0; c < count; ++c) samples = std::max(samples, chosen[c].samples.size());
  for (std::size_t c = count; c < 3; ++c) {
    chosen[c].samples.assign(samples, 0.0);
    chosen[c].interval = dt;
  }

  // At most what read-KVB holds, or the window asked for.
  check_length(static_cast<double>(samples), dt, options.window.has_value());
  if (options.window) cut_window(chosen, count, *options.window, samples, facts);

  const double start = facts.window ? facts.window->start : 0.0;
  for (std::size_t c = 0; c < 3; ++c) {
    facts.components[c].samples = chosen[c].samples.size();
    facts.components[c].peak = peak_of(chosen[c].samples, dt, start);
  }
  warn_about_peaks(chosen, facts, warnings);
  return facts;
}

}  // namespace

RecordFacts settle_time(std::array<Channel, 3>& chosen, const TimeOptions& options, std::vector<std::string>& warnings,
                        const AtOwnStep& at_own_step) {
  // The channels with samples of their own go first, the zeros last, and
  // back to their places after.
  std::array<std::size_t, 3> order = {0, 1, 2};
  if (options.horizontal_zeros == 0) order = {1, 2, 0};
  if (options.horizontal_zeros == 1) order = {0, 2, 1};
  if (options.horizontal_zeros >= 0 && options.vertical_zeros) order = {order[0], order[2], order[1]};
  const std::size_t count = 3 - (options.vertical_zeros ? 1 : 0) - (options.horizontal_zeros >= 0 ? 1 : 0);
  if (order == std::array<std::size_t, 3>{0, 1, 2}) return settle_own(chosen, count, options, warnings, at_own_step);
  std::array<Channel, 3> own;
  for (std::size_t k = 0; k < 3; ++k) own[k] = std::move(chosen[order[k]]);
  // The step sees the components in their places.
  AtOwnStep in_place;
  if (at_own_step)
    in_place = [&](std::array<Channel, 3>& settling, const std::array<bool, 3>&) {
      std::array<Channel, 3> placed;
      std::array<bool, 3> has{};
      for (std::size_t k = 0; k < 3; ++k) {
        placed[order[k]] = std::move(settling[k]);
        has[order[k]] = k < count;
      }
      const bool changed = at_own_step(placed, has);
      for (std::size_t k = 0; k < 3; ++k) settling[k] = std::move(placed[order[k]]);
      return changed;
    };
  RecordFacts settled = settle_own(own, count, options, warnings, in_place);
  RecordFacts facts = settled;
  for (std::size_t k = 0; k < 3; ++k) {
    chosen[order[k]] = std::move(own[k]);
    facts.components[order[k]] = settled.components[k];
    facts.components[order[k]].channel = settled.components[k].channel ? &chosen[order[k]] : nullptr;
    facts.full.samples[order[k]] = std::move(settled.full.samples[k]);
  }
  return facts;
}

}  // namespace kvb
