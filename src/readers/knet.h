// K-NET and KiK-net ASCII: one component a file, counts times the scale factor.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kKnetFormat;

}  // namespace kvb
