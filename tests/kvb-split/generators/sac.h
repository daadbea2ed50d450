// Synthetic SAC binary files: the 632-byte header in either byte order, then
// the samples as 4-byte floats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvb_test {

struct SacOptions {
  bool big_endian = false;
  float delta = 0.01f;
  std::int32_t points = -1;     // NPTS; -1: the number of samples
  std::int32_t dependent = 8;   // IDEP: 8 IACC, 7 IVEL, 5 IUNKN
  std::int32_t version = 6;     // NVHDR
  float begin = 0.25f;          // B: the first sample's seconds after the reference time
  float incidence = -12345.0f;  // CMPINC; undefined: the orientation from the channel code
  float azimuth = -12345.0f;    // CMPAZ
  float latitude = -12345.0f;   // STLA
  float longitude = -12345.0f;  // STLO
  std::string channel = "HNE";  // KCMPNM
  std::string location = "00";  // KHOLE
  std::string trailing;         // bytes after the samples
};

// samples in nm/s².
std::string sac_file(const std::vector<float>& samples, const SacOptions& opt);

}  // namespace kvb_test
