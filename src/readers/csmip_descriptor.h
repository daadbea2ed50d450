// The line that opens a channel's acceleration data: point count, sample
// interval and the Fortran format of the data lines that follow it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvb {

struct DataLayout {
  int per_line = 8;     // values on each full data line
  int width = 10;       // columns of each value
  int decimals = 0;     // implied decimals of a value written without a point
  bool stated = false;  // false: not in the descriptor, the defaults above hold
};

struct Descriptor {
  long points = 0;
  double interval = 0.0;  // seconds between samples
  DataLayout layout;
};

// True for the acceleration descriptor of either volume, in any case:
//   " 12000 points of accel data equally spaced at  .005 sec, in cm/sec2. (8f10.6)"
//   " 14000 Accelerogram points at 200 pts/sec in units of g .  Format: (8f9.6)"
// and false for the header's "12000 points of instrument- and baseline-corrected
// accel, veloc and displ data".
bool is_accel_descriptor(std::string_view line);

// Reads a line that is_accel_descriptor accepted. Sets why and returns nothing
// when the count, the interval or the format cannot be read.
std::optional<Descriptor> parse_descriptor(std::string_view line, std::string& why);

// "(8f10.6)" -> {8, 10, 6}; also E, G and D descriptors and "(f9.6)": the first
// "(" of text that opens one (no blanks, numbers of up to three digits, at most
// 40 columns, no more decimals than columns; parse_edit_descriptor).
std::optional<DataLayout> parse_layout(std::string_view text);

}  // namespace kvb
