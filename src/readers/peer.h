// PEER NGA .AT2 files: one component per file, four header lines, then the
// acceleration in g, five values of 15 columns to a line.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kPeerFormat;

}  // namespace kvb
