// COSMOS Volume 1 and Volume 2 files: one channel or every channel of a
// station, each announcing the size of its text, integer, real, comment and
// data blocks.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kCosmosFormat;

}  // namespace kvb
