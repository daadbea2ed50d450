// Synthetic K-NET and KiK-net ASCII files: 17 label/value lines, then
// counts eight to a line.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct KnetOptions {
  std::string direction = "N-S";  // K-NET N-S, E-W, U-D; KiK-net 1 to 6
  int rate = 100;                 // Hz
  long scale_gal = 3920;          // scale factor A(gal)/B
  long scale_counts = 6182761;
  std::string record_time = "2001/02/03 04:05:20";
  double duration = -1;            // seconds; the values' own when negative
  bool documented_labels = false;  // "Lon." and "Max Acc. (gal)" rather than "Long." and "Max. Acc. (gal)"
};

std::string knet_file(const std::vector<long>& counts, const KnetOptions& opt);

}  // namespace kvb_test
