// The traces of a read-KVB Acceleration CSV as they are drawn: each column
// reduced to about one least and one greatest sample a pixel column, and its
// peak.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace kvb::trace {

// The CSV's rows: time and three values as written (F7.3, three F10.3), NaN
// where a field is asterisks (a value too wide for it).
struct Csv {
  std::vector<double> time;
  std::vector<double> value[3];
};

// The rows of text; the 1-based number of the first line that is not a row,
// in bad. A line ends at LF or CR LF; the last may lack its end.
std::optional<Csv> parse(std::string_view text, long& bad);

// One curve to draw: times and values.
struct Curve {
  std::vector<double> time;
  std::vector<double> value;
};

// Of the samples whose time and value are numbers: all of them when there are
// at most 2 * columns; else, of each of `columns` equal runs, the least and the
// greatest (the first of equals), in order, with the first and the last
// sample. The line through them covers, in each pixel column, what the line
// through every sample covers, and every peak is one of its points.
Curve reduced(const std::vector<double>& time, const std::vector<double>& value, std::size_t columns);

// The sample of largest magnitude (the first of equals): its index, or
// nothing when every value is zero or not a number.
std::optional<std::size_t> peak(const std::vector<double>& value);

}  // namespace kvb::trace
