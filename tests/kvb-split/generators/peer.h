// Synthetic PEER NGA .AT2 files: four header lines, then the acceleration in
// g, five values of 15 columns to a line.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct PeerOptions {
  std::string component = "67";  // the end of line 2: "67", "UP", "BH100"
  bool west2 = true;             // "  -.8075668E-03" and "NPTS=   7999, DT=   .0050 SEC,";
                                 // else " -9.9283080E-16" and "NPTS=  15306, DT=    0.05 SEC"
  double interval = 0.005;
  bool pad_last = true;  // the last line blank-padded to 75 columns
  const char* eol = "\n";
  long stated_points = -1;    // NPTS; -1: the number of values
  bool older = false;         // the 1990s layout: "PACIFIC ENGINEERING AND ANALYSIS STRONG-MOTION DATA",
                              // "NORTHRIDGE 01/17/94 1231, ARLETA, 360", "NPTS=  2000, DT= .02000 SEC"
  bool one_per_line = false;  // one value a line
};

// One value as line 5 on writes it.
std::string peer_value(double g, bool west2);

std::string peer_file(const std::vector<double>& g, const PeerOptions& opt);

}  // namespace kvb_test
