// Turkey's national strong-motion network (AFAD, formerly NSMN) text files:
// a header of "KEY : value" lines (STATION ID, RECORD TIME, NUMBER OF DATA,
// SAMPLING INTERVAL (sec), RAW PGA VALUES (gal)), a line naming the three
// columns (N-S E-W U-D), then the samples in gal, a column a component.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kAfadFormat;

}  // namespace kvb
