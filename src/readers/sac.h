// SAC binary files (the Seismic Analysis Code's format): one channel a file,
// a fixed header of 70 floats, 40 integers and 24 text fields (632 bytes) in
// either byte order, then NPTS samples as 4-byte floats.
#pragma once

#include <optional>
#include <string_view>

#include "readers/format.h"

namespace kvb {

extern const AgencyFormat kSacFormat;

// True when bytes begin with a SAC header of version 6 or 7 in either byte
// order that describes an evenly sampled time series.
bool is_sac(std::string_view bytes);

// A unit SAC samples may be in where the header's IDEP (acceleration in nm/s²
// by SAC's convention, or no unit) is not to be trusted: --sac-unit.
struct SacUnit {
  std::string_view name;  // "g", "m/s2", "cm/s2", "nm/s2"
  double to_cm_s2;
};
// The unit of that name; nothing for another word.
std::optional<SacUnit> sac_unit_named(std::string_view name);
// From now on, SAC samples of acceleration or of no stated unit are read in
// unit (--sac-unit); nothing: in nm/s², and those of no unit are refused.
void read_sac_samples_in(std::optional<SacUnit> unit);

}  // namespace kvb
