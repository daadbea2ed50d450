// Iran's BHRC (Building and Housing Research Center) Volume 1 files: each
// channel 13 text lines, 7 lines of integers and 7 of reals, then the
// samples in g/10, ended by a line "/&"; one channel after another.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kBhrcFormat;

}  // namespace kvb
