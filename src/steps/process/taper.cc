// The cosine taper that brings a record's ends to zero before the filter.
#include <cmath>
#include <numbers>

#include "steps/process/filters.h"

namespace kvb {

void cosine_taper(std::vector<double>& x, double fraction) {
  const std::size_t n = x.size();
  const auto width = static_cast<std::size_t>(std::floor(fraction * static_cast<double>(n)));
  if (width == 0 || n < 2) return;
  for (std::size_t k = 0; k < width && k < n / 2 + 1; ++k) {
    const double w = 0.5 * (1.0 - std::cos(std::numbers::pi * static_cast<double>(k) / static_cast<double>(width)));
    x[k] *= w;
    x[n - 1 - k] *= w;
  }
}

}  // namespace kvb
