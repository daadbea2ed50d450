// Mexico's UNAM Institute of Engineering standard acceleration files
// ("ARCHIVO ESTANDAR DE ACELERACION"): a header of "KEY : value" lines whose
// channel values are listed after slashes ("/V/N00E/N90E"), then the
// samples in gal, a column a channel, in the fields the header states.
#pragma once

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kUnamFormat;

}  // namespace kvb
