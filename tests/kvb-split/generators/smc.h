// Synthetic USGS SMC files: text lines, 48 integers, 50 reals, comment lines,
// then the values eight to a line in 10 columns with a one-digit exponent.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct SmcOptions {
  int volume = 2;                 // 1 uncorrected, 2 corrected (3 velocity is not acceleration)
  bool pairs = false;             // a film record: time/value pairs, rate unset
  std::string component = "360";  // as it stands after "component="
  int from_vertical = 90;         // integer slot 13: 0 up, 90 horizontal
  int azimuth = 360;              // integer slot 14; -32768 when unset
  double rate = 200;              // samples per second
  int comments = 1;
  long stated_count = -1;      // slot 17 when not the values' own count
  int values_after_count = 0;  // one more line of values after a short last line
  bool nul_line = false;       // a line of 80 NUL bytes after the data
  bool pad = true;             // header lines padded to 80 columns
  const char* eol = "\r\n";
};

// v as the file writes it: "-2.2223E+0", ten columns.
std::string smc_value(double v);

// The whole file for values (for pairs: time, value, time, value, ...).
std::string smc_file(const std::vector<double>& values, const SmcOptions& opt);

}  // namespace kvb_test
