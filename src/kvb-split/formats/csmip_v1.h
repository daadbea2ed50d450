// CSMIP/CDMG Volume 1 files.
#pragma once

#include "formats/format.h"

namespace kvb_split {

extern const AgencyFormat kCsmipV1Format;

}  // namespace kvb_split
