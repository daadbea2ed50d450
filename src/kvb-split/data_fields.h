// The data lines of a channel: fixed-width fields in, 10-column fields out.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor.h"

// read-KVB reads eight 10-column fields per data line, and a value written
// without a decimal point gets four implied decimals there.
inline constexpr int kOutWidth = 10;
inline constexpr int kOutPerLine = 8;

// The number in one input field, blanks trimmed, as it must be written so that
// read-KVB reads the value the input format meant. A value without a point
// gets one, placed by the input's implied decimals:
//   "  -.000010" -> "-.000010"     "   123456" with 6 decimals -> ".123456"
//   "-999.00000" -> "-999.00000"   "      12" with 0 decimals -> "12."
// Sets why and returns nothing for a blank field, embedded blanks, or
// anything but [sign] digits [point digits] [exponent].
std::optional<std::string> field_number(std::string_view field, int decimals, std::string& why);

// Writes one channel's acceleration data as read-KVB lines. A line that already
// is eight 10-column fields needing no point is copied unchanged; otherwise the
// values are re-written right-justified into 10 columns, eight to a line.
class DataWriter {
 public:
  DataWriter(std::FILE* out, const DataLayout& layout) : out_(out), layout_(layout) {}

  // Takes the next input data line holding count values (count is below
  // layout.per_line only on the last line). Sets why and returns false when a
  // field is not a number, a number does not fit 10 columns, or a field after
  // the last value is not blank.
  bool add_line(std::string_view line, int count, std::string& why);

  // Writes what is left of a short last line.
  void finish();

 private:
  void flush_values();

  std::FILE* out_;
  DataLayout layout_;
  std::vector<std::string> pending_;
};
