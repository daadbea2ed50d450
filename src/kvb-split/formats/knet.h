// K-NET and KiK-net ASCII: one component a file, counts times the scale factor.
#pragma once

#include "formats/format.h"

namespace kvb_split {

extern const AgencyFormat kKnetFormat;

}  // namespace kvb_split
