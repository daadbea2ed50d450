// SAC binary files (the Seismic Analysis Code's format): one channel a file,
// a fixed header of 70 floats, 40 integers and 24 text fields (632 bytes) in
// either byte order, then NPTS samples as 4-byte floats.
#pragma once

#include <string_view>

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kSacFormat;

// True when bytes begin with a SAC header of version 6 or 7 in either byte
// order that describes an evenly sampled time series.
bool is_sac(std::string_view bytes);

}  // namespace kvb
