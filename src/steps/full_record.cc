#include "steps/full_record.h"

#include <algorithm>

namespace kvb {

FullRecord full_record_of(const std::array<Channel, 3>& chosen, std::size_t count, std::string how) {
  FullRecord full;
  full.step = chosen[0].interval;
  full.how = std::move(how);
  full.vertical_zeros = count < 3;
  for (std::size_t c = 0; c < count; ++c) full.samples[c] = chosen[c].samples;
  if (full.vertical_zeros) full.samples[2].assign(std::max(full.samples[0].size(), full.samples[1].size()), 0.0);
  return full;
}

}  // namespace kvb
