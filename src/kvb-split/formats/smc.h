// USGS SMC: one component a file, cm/s², Volume 1 (also time/value pairs) or 2.
#pragma once

#include "formats/format.h"

namespace kvb_split {

extern const AgencyFormat kSmcFormat;

}  // namespace kvb_split
