#include "steps/record_facts.h"

#include <cmath>

namespace kvb {

namespace {

std::size_t peak_index(const std::vector<double>& samples) {
  std::size_t at = 0;
  for (std::size_t k = 1; k < samples.size(); ++k) {
    if (std::fabs(samples[k]) > std::fabs(samples[at])) at = k;
  }
  return at;
}

}  // namespace

Peak peak_of(const std::vector<double>& samples, double interval, double start) {
  if (samples.empty()) return {0.0, start};
  const std::size_t at = peak_index(samples);
  return {samples[at], start + static_cast<double>(at) * interval};
}

Peak source_peak_of(const Channel& ch) {
  if (ch.times.empty() || ch.samples.empty()) return peak_of(ch.samples, ch.interval);
  const std::size_t at = peak_index(ch.samples);
  return {ch.samples[at], ch.times[at] - ch.times.front()};
}

std::optional<double> RecordComponent::peak_change() const {
  if (!source_peak || source_peak->value == 0) return std::nullopt;
  return std::fabs(peak.value) / std::fabs(source_peak->value) - 1;
}

}  // namespace kvb
