#include "component_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "split_error.h"
#include "utf8.h"

using namespace kvb_split;

namespace {

constexpr std::size_t kTitleColumns = 80;
constexpr int kMostDecimals = kFieldWidth - 2;  // ".12345678"
constexpr int kFewestDecimals = 3;

// "%.*f" of value, without the zero before the point and without the sign of
// a value that shows as zero.
std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  bool minus = s[0] == '-';
  std::string digits = s.substr(minus ? 1 : 0);
  if (digits.compare(0, 2, "0.") == 0) digits.erase(0, 1);
  bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return (minus && !zero ? "-" : "") + digits;
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

void put_line(const std::string& line, std::FILE* out) {
  std::fwrite(line.data(), 1, line.size(), out);
  std::fputc('\n', out);
}

}  // namespace

std::optional<std::string> component_field(double value) {
  if (!fits_component_field(value)) return std::nullopt;
  for (int d = kMostDecimals; d >= kFewestDecimals; --d) {
    std::string text = fixed(value, d);
    if (text.size() > static_cast<std::size_t>(kFieldWidth)) continue;
    // read-KVB reads the field into single precision; its value must show
    // the same digits again.
    float stored = std::strtof(text.c_str(), nullptr);
    if (d > kFewestDecimals && fixed(static_cast<double>(stored), d) != text) continue;
    return std::string(static_cast<std::size_t>(kFieldWidth) - text.size(), ' ') + text;
  }
  return std::nullopt;
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
  for (int r = 1; r < kHeaderRecords; ++r) {
    if (r == kTitleRecord) {
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
  if (!ch.data_lines.empty()) {
    for (const std::string& record : header_records(ch.header_lines, title, ch.data_descriptor)) put_line(record, out);
    for (const std::string& line : ch.data_lines) put_line(line, out);
    put_line("", out);
    return;
  }
  std::string data;
  data.reserve(ch.samples.size() * 11 / 8 * 8 + 8);
  int fewest = kMostDecimals;
  for (std::size_t k = 0; k < ch.samples.size(); ++k) {
    auto field = component_field(ch.samples[k]);
    if (!field)
      throw SplitError(escaped(ch.source) + ": channel " + escaped(ch.number) + ": sample " + std::to_string(k + 1) +
                       " (" + number_text(ch.samples[k]) + " cm/s²) does not fit in a 10-column field");
    std::size_t point = field->find('.');
    fewest = std::min(fewest, static_cast<int>(field->size() - point - 1));
    data += *field;
    if (k % kFieldsPerLine == kFieldsPerLine - 1 || k + 1 == ch.samples.size()) data += '\n';
  }
  if (ch.samples.empty()) fewest = kFewestDecimals;
  for (const std::string& record : header_records(ch.header_lines, title, descriptor_for(ch, fewest)))
    put_line(record, out);
  std::fwrite(data.data(), 1, data.size(), out);
  put_line("", out);
}
