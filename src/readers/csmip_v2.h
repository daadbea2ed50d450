// CSMIP/CDMG Volume 2 files.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kCsmipV2Format;

}  // namespace kvb
