// Numbers in agency files: Fortran fixed-width fields, sliced by column.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvb {

// The value of one field, blanks around it trimmed: [sign] digits [point
// [digits]] or [sign] point digits, then optionally an exponent E or e with a
// signed or unsigned exponent of one to three digits. A field without a point
// is an integer value (no implied decimals). Nothing for a blank field or
// anything else.
std::optional<double> parse_number(std::string_view field);
// The same, and point tells whether the field holds a point.
std::optional<double> parse_number(std::string_view field, bool& point);
// The first count fields of width columns of line (see columns) into values,
// which holds count; returns how many were numbers before the first that is
// not (count when all are). points ends false unless all of those hold a
// point.
std::size_t parse_fields(std::string_view line, std::size_t count, std::size_t width, double* values, bool& points);

// The unit of the last digit of a number as field writes it: 0.001 for
// "22.200", 0.001 for "2.2200E+1", 1 for "17".
double printed_unit(std::string_view field);

// Column slice of line, 1-based first column, width columns; a line that is
// shorter reads as padded with blanks.
inline std::string_view columns(std::string_view line, std::size_t first, std::size_t width) {
  if (first < 1 || first > line.size()) return {};
  return line.substr(first - 1, width);
}

// Text in lower case (ASCII), for keywords matched in any case.
std::string lowered(std::string_view text);

}  // namespace kvb
