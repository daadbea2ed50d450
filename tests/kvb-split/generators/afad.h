// Synthetic Turkish AFAD/NSMN text files: the keyed header, the line naming
// the columns, then a row of three values in gal a sample.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct AfadOptions {
  std::vector<std::string> components = {"N-S", "E-W", "U-D"};  // the columns, in order
  std::string interval = "0.01";                                // SAMPLING INTERVAL (sec) as written
  std::string count;                                            // NUMBER OF DATA as written; empty: the number of rows
  std::string record_time = "02/01/2024 18:00:05.250000 (GMT)";
  const char* eol = "\r\n";
};

// columns[k] is the k-th component's samples; all the same length.
std::string afad_file(const std::vector<std::vector<double>>& columns, const AfadOptions& opt);

}  // namespace kvb_test
