// CSMIP/CDMG Volume 1 files.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kCsmipV1Format;

}  // namespace kvb
