// GeoNet V1A/V2A: three components a file, mm/s².
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kGeonetFormat;

}  // namespace kvb
