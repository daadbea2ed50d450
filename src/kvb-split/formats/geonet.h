// GeoNet V1A/V2A: three components a file, mm/s².
#pragma once

#include "formats/format.h"

extern const AgencyFormat kGeonetFormat;
