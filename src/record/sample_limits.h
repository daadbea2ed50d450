// The samples a component file can hold, for the readers that refuse a
// sample the writer could not write.
#pragma once

namespace kvb {

// True when component_field (component_file.h) has a field for value: a
// 10-column field with three decimals holds below 10^6 cm/s², and from
// -10^5 upwards.
inline bool fits_component_field(double value) { return value > -99999.9995 && value < 999999.9995; }

}  // namespace kvb
