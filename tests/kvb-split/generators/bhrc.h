// Synthetic BHRC Volume 1 files: per channel 13 text lines, 7 integer and 7
// real lines, the samples in g/10 ten to a line (E13.6), then "/&".
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct BhrcChannel {
  std::string component;    // "L1", "V2", "T3": the letter and the channel's number
  std::vector<double> g10;  // samples in g/10
};

struct BhrcOptions {
  std::string azimuths = "Azimuth L 324   T 54";  // on the station line
  std::string points;                             // NO. OF POINTS as written; empty: the samples'
  std::string duration;                           // DURATION as written; empty: 0.005 s a sample
  const char* eol = "\r\n";
};

std::string bhrc_file(const std::vector<BhrcChannel>& channels, const BhrcOptions& opt);

}  // namespace kvb_test
