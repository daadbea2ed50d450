#include "writers/component_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "record/split_error.h"
#include "record/utf8.h"

namespace kvb {

namespace {

constexpr std::size_t kTitleColumns = layout::kTitleColumns;
constexpr int kMostDecimals = layout::kFieldWidth - 2;  // ".12345678"
constexpr int kFewestDecimals = 3;
constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// value × 10^decimals rounded to a whole number as "%.*f" rounds the exact
// product: to the nearer, a tie to the even one.
double scaled(double value, int decimals) {
  const double p = value * kPowers[decimals];
  const double error = std::fma(value, kPowers[decimals], -p);  // p + error is the exact product
  const double whole = std::nearbyint(p);
  const double off = p - whole;  // exact: |p| < 2^52
  // Below half a unit off, the error (at most half p's last bit) cannot
  // reach the half; at a tie of p, it decides.
  if (off == 0.5 && error > 0) return whole + 1;
  if (off == -0.5 && error < 0) return whole - 1;
  return whole;
}

// Whether the text of whole / 10^decimals, as fixed_text writes it, fits in
// a field: a sign, the whole digits and the point leave at least the
// decimals room only below 10^9 (10^8 below zero).
bool fits(double whole) { return std::fabs(whole) < (whole < 0 ? 1e8 : 1e9); }

// Writes the text of whole / 10^decimals so that it ends at end: "%.*f"
// without the zero before the point and without the sign of a value that
// shows as zero. Returns where it starts.
char* fixed_text(double whole, int decimals, char* end) {
  auto digits = static_cast<std::uint64_t>(std::fabs(whole));
  char* at = end;
  for (int k = 0; k < decimals; ++k, digits /= 10) *--at = static_cast<char>('0' + digits % 10);
  *--at = '.';
  for (; digits != 0; digits /= 10) *--at = static_cast<char>('0' + digits % 10);
  if (whole < 0) *--at = '-';
  return at;
}

// True when the double q lies half-way between two floats.
bool at_float_midpoint(double q) {
  std::uint64_t bits;
  std::memcpy(&bits, &q, sizeof bits);
  constexpr int kLostBits = 52 - 23;  // of the mantissa, going to single precision
  return (bits & ((std::uint64_t{1} << kLostBits) - 1)) == std::uint64_t{1} << (kLostBits - 1);
}

// True when the text of whole / 10^decimals shows the same digits again from
// the float nearest it, as read-KVB keeps it.
bool survives_single_precision(double whole, int decimals) {
  const double q = whole / kPowers[decimals];  // the double nearest the text, 1e-8 to 1e6
  auto stored = static_cast<float>(q);
  // Rounding to double and then to float rounds once, except where q falls
  // on a float midpoint: there the text itself decides.
  if (static_cast<double>(stored) != q && at_float_midpoint(q)) {
    char text[32];
    char* start = fixed_text(whole, decimals, std::end(text));
    std::from_chars(start, std::end(text), stored);
  }
  // stored × 10^decimals is exact (24 bits times 5^8 < 2^19).
  return std::nearbyint(static_cast<double>(stored) * kPowers[decimals]) == whole;
}

// Writes value's field, layout::kFieldWidth columns, at out; returns its decimals, or
// -1 when it does not fit.
int put_field(double value, char* out) {
  if (!fits_component_field(value)) return -1;
  // The whole digits leave no room for more decimals than this.
  int whole_digits = 0;
  while (whole_digits < 6 && std::fabs(value) >= kPowers[whole_digits]) ++whole_digits;
  const int most = std::min(kMostDecimals, layout::kFieldWidth - 1 - (value < 0) - whole_digits);
  for (int d = most; d >= kFewestDecimals; --d) {
    const double whole = scaled(value, d);
    if (!fits(whole)) continue;
    // read-KVB reads the field into single precision; its value must show
    // the same digits again.
    if (d > kFewestDecimals && !survives_single_precision(whole, d)) continue;
    std::fill(out, fixed_text(whole, d, out + layout::kFieldWidth), ' ');
    return d;
  }
  return -1;
}

std::string number_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string descriptor_for(const Channel& ch, int decimals) {
  std::string spacing;
  if (ch.times.empty()) {
    spacing = "equally spaced at " + number_text(ch.interval) + " sec";
  } else {
    spacing = "at uneven times";
    if (ch.times.size() > 1)
      spacing += ", " + number_text(ch.times.front()) + " to " + number_text(ch.times.back()) + " sec";
  }
  char text[160];
  std::snprintf(text, sizeof text, "%6zu points of accel data %s, in cm/sec2.  (8f10.%d)", ch.samples.size(),
                spacing.c_str(), decimals);
  return text;
}

void add_line(std::string_view line, std::string& out) {
  out += line;
  out += '\n';
}

// The bytes of lines written one a line.
std::size_t lines_size(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 1;
  return size;
}

}  // namespace

std::optional<std::string> component_field(double value) {
  std::string field(static_cast<std::size_t>(layout::kFieldWidth), ' ');
  if (put_field(value, field.data()) < 0) return std::nullopt;
  return field;
}

std::string component_title(const Channel& ch) {
  std::string title = ch.station_name;
  if (!ch.station_code.empty()) {
    if (!title.empty()) title += ", ";
    title += "station " + ch.station_code;
  }
  if (!title.empty()) title += ", ";
  title += "channel " + ch.number + ": " + ch.orientation_text;
  bool shows_azimuth = !ch.orientation_text.empty() && ch.orientation_text[0] >= '0' && ch.orientation_text[0] <= '9';
  if (ch.orientation.axis == Axis::kHorizontal && ch.orientation.azimuth >= 0 && !shows_azimuth)
    title += " (" + std::to_string(ch.orientation.azimuth) + " Deg)";
  // read-KVB echoes the title to the terminal: no control character of the
  // input goes there.
  title = without_controls(title);
  if (title.size() > kTitleColumns) title.resize(kTitleColumns);
  return title;
}

std::vector<std::string> header_records(const std::vector<std::string>& header, const std::string& title,
                                        const std::string& descriptor) {
  std::vector<std::string> records;
  std::size_t next = 0;
  for (int r = 1; r < layout::kHeaderRecords; ++r) {
    if (r == layout::kTitleRecord) {
      records.push_back(title);
    } else {
      records.push_back(next < header.size() ? header[next] : std::string());
      ++next;
    }
  }
  records.push_back(descriptor);
  return records;
}

void write_component(const Channel& ch, std::FILE* out) {
  const std::string title = component_title(ch);
  std::string data;  // the whole file, its room made once
  if (!ch.data_lines.empty()) {
    const std::vector<std::string> records = header_records(ch.header_lines, title, ch.data_descriptor);
    data.reserve(lines_size(records) + lines_size(ch.data_lines) + 1);
    for (const std::string& record : records) add_line(record, data);
    for (const std::string& line : ch.data_lines) add_line(line, data);
  } else {
    const std::size_t n = ch.samples.size();
    std::string fields(n * layout::kFieldWidth + (n + layout::kFieldsPerRecord - 1) / layout::kFieldsPerRecord, '\n');
    char* at = fields.data();
    int fewest = n == 0 ? kFewestDecimals : kMostDecimals;
    for (std::size_t k = 0; k < n; ++k) {
      const int decimals = put_field(ch.samples[k], at);
      if (decimals < 0)
        throw SplitError(escaped(ch.source) + ": channel " + escaped(ch.number) + ": sample " + std::to_string(k + 1) +
                         " (" + number_text(ch.samples[k]) + " cm/s²) does not fit in a 10-column field");
      fewest = std::min(fewest, decimals);
      at += layout::kFieldWidth;
      if (k % layout::kFieldsPerRecord == layout::kFieldsPerRecord - 1 || k + 1 == n)
        ++at;  // the line's end, there already
    }
    const std::vector<std::string> records = header_records(ch.header_lines, title, descriptor_for(ch, fewest));
    data.reserve(lines_size(records) + fields.size() + 1);
    for (const std::string& record : records) add_line(record, data);
    data += fields;
  }
  add_line("", data);
  std::fwrite(data.data(), 1, data.size(), out);
}

}  // namespace kvb
