// CSMIP/CDMG Volume 2 files.
#pragma once

#include "formats/format.h"

extern const AgencyFormat kCsmipV2Format;
