// The record at its own step and whole: the three components as the agency
// gave them (or as processed), before anything that only read-KVB's CSV needs
// (resampling to 0.005 s, a window, a limit on samples). The measures are
// taken from it; kvb-split writes it beside the component files.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kvb {

// Its file in a record folder, and the file's first line.
inline constexpr const char* kFullRecordFileName = "KVB-full.csv";
inline constexpr const char* kFullRecordColumns = "time_s,N00_cm_s2,N90_cm_s2,UP_cm_s2";

struct FullRecord {
  double step = 0.0;                           // seconds between samples
  std::array<std::vector<double>, 3> samples;  // N00, N90, UP in cm/s²; each as long as its channel
  // How the samples came to one even step: empty when the channels had one
  // already, else what was done ("put on an even grid ...", "resampled ...").
  std::string how;
};

}  // namespace kvb
