// Synthetic ESM ASCII files: the header of "KEY: value" lines in the
// database's order, then the samples one a line.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct EsmOptions {
  std::string stream = "HNE";    // STREAM: the channel code
  std::string units = "cm/s^2";  // UNITS
  std::string data_type = "ACCELERATION";
  std::string processing = "manual (Paolucci et al., 2011)";  // "none" in an unprocessed file
  std::string interval = "0.005000";                          // SAMPLING_INTERVAL_S as written
  std::string count;                                          // NDATA as written; empty: the number of samples
  std::string first_sample = "20240102_180005.250";
  std::string location;  // LOCATION
  const char* eol = "\n";
};

std::string esm_file(const std::vector<double>& samples, const EsmOptions& opt);

}  // namespace kvb_test
