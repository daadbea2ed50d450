// GeoNet V1A/V2A: three components a file, mm/s².
#pragma once

#include "formats/format.h"

namespace kvb_split {

extern const AgencyFormat kGeonetFormat;

}  // namespace kvb_split
