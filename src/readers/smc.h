// USGS SMC: one component a file, cm/s², Volume 1 (also time/value pairs) or 2.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kSmcFormat;

}  // namespace kvb
