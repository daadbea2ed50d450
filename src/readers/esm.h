// ESM (Engineering Strong-Motion database) ASCII files: one component a
// file, a header of "KEY: value" lines (NETWORK, STATION_CODE, STREAM,
// SAMPLING_INTERVAL_S, NDATA, UNITS, PGA_CM/S^2, ...), then the samples,
// one a line.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kEsmFormat;

}  // namespace kvb
