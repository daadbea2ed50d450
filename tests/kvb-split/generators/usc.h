// Synthetic USC files, one channel each: uncorrected (13 text lines, 7
// integer and 7 real lines, then time/value pairs in g/10, five a line) or
// corrected (a first line, the same header with more text, then blocks of
// acceleration in cm/s², velocity and displacement, eight values a line).
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct UscOptions {
  bool corrected = false;
  std::string component = "N08W";
  std::vector<double> times;  // uncorrected: each pair's time; empty: 0.004 s apart
  std::string points;         // NO. OF POINTS (corrected: the ACC count) as written; empty: the values'
  std::string step = ".020";  // corrected: the spacing as written
  std::string units = "UNITS ARE SEC AND G/10";
  const char* eol = "\r\n";
};

// values in g/10 (uncorrected) or cm/s² (corrected).
std::string usc_file(const std::vector<double>& values, const UscOptions& opt);

}  // namespace kvb_test
