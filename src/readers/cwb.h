// Taiwan's Central Weather Bureau (CWB) strong-motion text files: a header
// of "#Key: value" lines (#StationCode, #StartTime(GMT+08), #SampleRate(Hz),
// #AmplitudeUnit, #DataSequence, #Data: 4F10.3), then a row a sample: its
// time and the three components in gal.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kCwbFormat;

}  // namespace kvb
