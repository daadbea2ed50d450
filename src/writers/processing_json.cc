#include "writers/processing_json.h"

#include "component_layout.h"
#include "record/utf8.h"

namespace kvb {

namespace {

using nlohmann::ordered_json;

ordered_json component_json(const ComponentProcessing& done) {
  if (!done.processed) return nullptr;
  ordered_json out = {{"high_pass_hz", done.low_hz}, {"low_pass_hz", done.high_hz}};
  if (done.chosen) {
    const AutoCorners& a = *done.chosen;
    out["chosen"] = "auto";
    out["shared_high_pass"] = done.shared_low;
    out["snr"] = {{"least_ratio", kLeastSnr},
                  {"noise_seconds", a.noise_seconds},
                  {"signal_seconds", a.signal_seconds},
                  {"peak_ratio", a.peak_snr},
                  {"high_pass_hz", a.snr_low_hz > 0 ? ordered_json(a.snr_low_hz) : ordered_json(nullptr)},
                  {"low_pass_hz", a.snr_high_hz > 0 ? ordered_json(a.snr_high_hz) : ordered_json(nullptr)},
                  {"least_high_pass_hz", a.floor_hz},
                  {"most_low_pass_hz", a.ceiling_hz}};
  } else {
    out["chosen"] = "given";
  }
  out["interval"] = done.interval;
  out["mean_removed"] = done.mean;
  out["pad_seconds"] = done.pad_seconds;
  out["baseline_coefficients"] = done.baseline;
  return out;
}

}  // namespace

void add_processing_json(ordered_json& processing, const ProcessingFacts& facts) {
  const ProcessOptions& o = facts.options;
  processing["source_level"] = facts.source_level;
  processing["onset_seconds"] = facts.onset_seconds ? ordered_json(*facts.onset_seconds) : ordered_json(nullptr);
  processing["steps"] = ordered_json::array(
      {{{"step", "remove mean"},
        {"window", facts.onset_seconds ? "pre-event (before the P-wave onset)" : "whole record"}},
       {{"step", "cosine taper"}, {"fraction_each_end", o.taper}},
       {{"step", "band-pass"},
        {"filter", "Butterworth, zero phase (forward and backward)"},
        {"order_per_pass", o.order},
        {"corners", o.corners == ProcessOptions::Corners::kGiven ? "given" : "auto"},
        {"pads", "zeros, 0.75 x order / high-pass corner seconds at each end, removed after filtering"}},
       {{"step", "baseline"},
        {"polynomial", "orders 2 to 6 fitted to the displacement, its second derivative removed"}}});
  ordered_json components;
  for (std::size_t c = 0; c < 3; ++c) components[layout::kComponents[c]] = component_json(facts.components[c]);
  processing["components"] = components;
  ordered_json sources = ordered_json::array();
  for (const std::string& s : facts.sources) sources.push_back(as_utf8(s));
  processing["source_files"] = sources;
}

}  // namespace kvb
