// COSMOS Volume 1 and Volume 2 files: one channel or every channel of a
// station, each announcing the size of its text, integer, real, comment and
// data blocks.
#pragma once

#include "formats/format.h"

namespace kvb_split {

extern const AgencyFormat kCosmosFormat;

}  // namespace kvb_split
