// Synthetic GeoNet V1A/V2A files: per component 16 text lines, 40 integers
// and 60 reals in 8-column fields, then the blocks of values ten to a line.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct GeonetComponent {
  std::string bearing = "N28W";  // after "Component": "S16W", "Up"
  int direction = 332;           // integer slot 28; 0 for the vertical
  std::vector<long> tenths;      // acceleration in tenths of mm/s²
};

struct GeonetOptions {
  bool corrected = true;     // V2A (with velocity and displacement) or V1A
  double interval = 0.020;   // seconds
  double units = 1.0;        // V1A: readings in units of this many mm/s²
  int velocity_values = 13;  // V2A blocks after the acceleration
};

// An acceleration value as the file writes it in 8 columns.
std::string geonet_value(long tenths, bool corrected);

std::string geonet_file(const std::vector<GeonetComponent>& components, const GeonetOptions& opt);

}  // namespace kvb_test
