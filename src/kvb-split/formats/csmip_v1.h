// CSMIP/CDMG Volume 1 files.
#pragma once

#include "formats/format.h"

extern const AgencyFormat kCsmipV1Format;
