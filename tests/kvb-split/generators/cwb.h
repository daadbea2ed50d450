// Synthetic Taiwan CWB text files: the "#Key: value" header, then a row a
// sample of its time and three components in gal, four 10-column fields.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct CwbOptions {
  std::string sequence = "Time U(+); N(+); E(+)";  // #DataSequence
  std::string rate = "50";                         // #SampleRate(Hz) as written
  std::string unit = "gal. DCoffset(corr)";        // #AmplitudeUnit
  double time_step = 0;                            // the time column's step; 0: 1/rate
  const char* eol = "\n";
};

// columns[k] is the k-th component's samples in the order of the sequence.
std::string cwb_file(const std::vector<std::vector<double>>& columns, const CwbOptions& opt);

}  // namespace kvb_test
