#include "steps/process/chain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "component_layout.h"
#include "record/split_error.h"
#include "steps/process/filters.h"
#include "steps/timing.h"

namespace kvb {

namespace {

std::string number(const char* format, double v) {
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

bool takes(const Channel& ch, const ProcessOptions& o) {
  if (o.corners == ProcessOptions::Corners::kNone) return false;
  if (ch.processing == "uncorrected") return true;
  return ch.processing == "corrected" && o.corrected_too && o.corners == ProcessOptions::Corners::kGiven;
}

void check_band(const std::string& name, double low, double high, double dt) {
  const double nyquist = 0.5 / dt;
  if (high >= nyquist)
    throw SplitError(name + ": the low-pass corner " + number("%g Hz", high) + " is not below the Nyquist frequency, " +
                     number("%g Hz", nyquist));
  if (low > kHighestHighPassHz || high <= low)
    throw SplitError(name + ": the band " + number("%.3g", low) + "-" + number("%.3g Hz", high) +
                     " is too narrow to keep the record usable (a high-pass corner above " +
                     number("%g Hz", kHighestHighPassHz) +
                     ", or a low-pass corner not above it); give the corners with --filter LOW:HIGH, or keep "
                     "the record as recorded with --filter none");
}

}  // namespace

bool parse_filter(const std::string& text, ProcessOptions& options, std::string& why) {
  if (text == "auto" || text == "none") {
    options.corners = text == "auto" ? ProcessOptions::Corners::kAuto : ProcessOptions::Corners::kNone;
    return true;
  }
  const std::size_t colon = text.find(':');
  char* end = nullptr;
  const double low = colon == std::string::npos ? 0.0 : std::strtod(text.c_str(), &end);
  const bool low_ok = colon != std::string::npos && end == text.c_str() + colon;
  const double high = low_ok ? std::strtod(text.c_str() + colon + 1, &end) : 0.0;
  if (!low_ok || colon + 1 == text.size() || *end != '\0' || !(low > 0.0) || !(high > low) || !std::isfinite(high)) {
    why = "takes auto, none or LOW:HIGH (Hz, 0 < LOW < HIGH), as in 0.1:40";
    return false;
  }
  options.corners = ProcessOptions::Corners::kGiven;
  options.low_hz = low;
  options.high_hz = high;
  return true;
}

std::optional<ProcessingFacts> process_record(std::array<Channel, 3>& chosen, const std::array<bool, 3>& own,
                                              const ProcessOptions& options) {
  ProcessingFacts facts;
  facts.options = options;
  std::vector<std::size_t> taken;
  for (std::size_t c = 0; c < 3; ++c)
    if (own[c] && takes(chosen[c], options)) taken.push_back(c);
  if (taken.empty()) return std::nullopt;
  facts.source_level = chosen[taken.front()].processing;
  for (std::size_t c : taken) {
    if (!chosen[c].times.empty())
      throw SplitError(escaped(chosen[c].source) + ": the samples are at uneven times; put them on an even grid first");
    facts.components[c].processed = true;
    facts.components[c].interval = chosen[c].interval;
    if (std::find(facts.sources.begin(), facts.sources.end(), chosen[c].source) == facts.sources.end())
      facts.sources.push_back(chosen[c].source);
  }

  // The P-wave onset, from the vertical where it is processed (the P wave is
  // strongest there), else from the first component processed.
  const std::size_t picked = taken.back() == 2 ? 2 : taken.front();
  std::vector<double> demeaned = chosen[picked].samples;
  remove_mean(demeaned, 0);
  const double onset = static_cast<double>(onset_sample(demeaned)) * chosen[picked].interval;
  const bool has_pre_event = onset >= kShortestNoiseSeconds;
  if (has_pre_event) facts.onset_seconds = onset;

  // The pre-event mean, and the corners.
  for (std::size_t c : taken) {
    Channel& ch = chosen[c];
    ComponentProcessing& done = facts.components[c];
    const double dt = ch.interval;
    const auto pre_event = has_pre_event ? static_cast<std::size_t>(onset / dt) : std::size_t{0};
    done.pre_event_seconds = static_cast<double>(pre_event) * dt;
    done.mean = remove_mean(ch.samples, pre_event);
    if (options.corners == ProcessOptions::Corners::kGiven) {
      done.low_hz = options.low_hz;
      done.high_hz = options.high_hz;
    } else {
      try {
        done.chosen = auto_corners(ch.samples, dt, static_cast<std::size_t>(onset / dt));
      } catch (const SplitError& e) { throw SplitError(std::string(layout::kComponents[c]) + ": " + e.what()); }
      done.low_hz = done.chosen->low_hz;
      done.high_hz = done.chosen->high_hz;
    }
  }
  // One high-pass corner for both horizontals (rotated measures need one filter).
  ComponentProcessing &n00 = facts.components[0], &n90 = facts.components[1];
  if (n00.processed && n90.processed && n00.low_hz != n90.low_hz) {
    (n00.low_hz < n90.low_hz ? n00 : n90).shared_low = true;
    n00.low_hz = n90.low_hz = std::max(n00.low_hz, n90.low_hz);
  }

  // The taper, the band-pass and the baseline.
  for (std::size_t c : taken) {
    Channel& ch = chosen[c];
    ComponentProcessing& done = facts.components[c];
    const double dt = ch.interval;
    check_band(std::string(layout::kComponents[c]), done.low_hz, done.high_hz, dt);
    cosine_taper(ch.samples, options.taper);
    const std::size_t pad = pad_samples(done.low_hz, dt, options.order);
    if (pad > kMostRecordSamples)
      throw SplitError(std::string(layout::kComponents[c]) + ": the filter's pads would hold " + std::to_string(pad) +
                       " samples at each end (" + number("%g s", static_cast<double>(pad) * dt) + "), more than the " +
                       std::to_string(kMostRecordSamples) + " kvb-split makes");
    done.pad_seconds = static_cast<double>(pad) * dt;
    zero_phase_band_pass(ch.samples, dt, done.low_hz, done.high_hz, options.order, pad);
    done.baseline = remove_baseline(ch.samples, dt);
    ch.processing = "processed";
    ch.filter_low_hz = done.low_hz;
    ch.filter_high_hz = done.high_hz;
    ch.data_lines.clear();
  }
  return facts;
}

std::string filtered_text(const ProcessingFacts& facts) {
  std::vector<std::string> bands;
  std::string parts;
  for (std::size_t c = 0; c < 3; ++c) {
    const ComponentProcessing& done = facts.components[c];
    if (!done.processed) continue;
    const std::string band = number("%.3g", done.low_hz) + "-" + number("%.3g", done.high_hz);
    parts += (parts.empty() ? "" : ", ") + std::string(layout::kComponents[c]) + " " + band;
    bands.push_back(band);
  }
  const bool one = std::all_of(bands.begin(), bands.end(), [&](const std::string& b) { return b == bands[0]; });
  const char* how = facts.options.corners == ProcessOptions::Corners::kGiven ? "given" : "auto";
  return "filtered " + (one ? bands[0] : parts) + " Hz (" + how + ")";
}

}  // namespace kvb
