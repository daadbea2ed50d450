// CSMIP/CDMG Volume 2 files.
#pragma once

#include "formats/format.h"

namespace kvb_split {

extern const AgencyFormat kCsmipV2Format;

}  // namespace kvb_split
