#include "steps/full_record.h"

#include <algorithm>

namespace kvb {

FullRecord full_record_of(const std::array<Channel, 3>& chosen, std::size_t count, std::string how) {
  FullRecord full;
  full.step = chosen[0].interval;
  full.how = std::move(how);
  std::size_t longest = 0;
  for (std::size_t c = 0; c < count; ++c) {
    full.samples[c] = chosen[c].samples;
    longest = std::max(longest, full.samples[c].size());
  }
  for (std::size_t c = count; c < 3; ++c) full.samples[c].assign(longest, 0.0);
  return full;
}

}  // namespace kvb
