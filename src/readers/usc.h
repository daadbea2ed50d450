// The University of Southern California's strong-motion files (Los Angeles
// network, .y0a uncorrected, .s0a corrected): each channel 13 text lines, an
// integer and a real header, then time/value pairs in g/10; a corrected
// channel adds a first line and its own text before the header, and blocks of
// evenly spaced acceleration, velocity and displacement after it.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kUscFormat;

}  // namespace kvb
