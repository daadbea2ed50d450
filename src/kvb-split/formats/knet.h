// K-NET and KiK-net ASCII: one component a file, counts times the scale factor.
#pragma once

#include "formats/format.h"

extern const AgencyFormat kKnetFormat;
