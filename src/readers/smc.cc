#include "readers/smc.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "readers/identity.h"
#include "readers/numbers.h"
#include "readers/pairs.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

// Lines 2 to 11 are text, 12 to 17 hold 48 integers (8 of 10 columns a line),
// 18 to 27 hold 50 reals (5 of 15 columns a line); comment lines and the data
// follow.
constexpr std::size_t kTextLines = 11;
constexpr std::size_t kIntegerLines = 6, kIntegersPerLine = 8, kIntegerWidth = 10;
constexpr std::size_t kRealLines = 10, kRealsPerLine = 5, kRealWidth = 15;
constexpr std::size_t kHeaderLines = kTextLines + kIntegerLines + kRealLines;
constexpr std::size_t kValuesPerLine = 8, kValueWidth = 10;

// Integer slots (0-based here): the unset marker, year, day of the year,
// hour, minute, second, millisecond, angle from the vertical, azimuth, comment
// lines, data values. Real slots: the unset marker, samples per second.
enum { kIntUnset = 0, kYear = 1, kDayOfYear, kHour, kMinute, kSecond, kMillis };
enum { kFromVertical = 12, kAzimuth = 13, kComments = 15, kValues = 16 };
enum { kRealUnset = 0, kRate = 1 };

bool integer_line(const std::string& line) {
  std::vector<double> values;
  std::string why;
  return read_fields(line, kIntegerWidth, kIntegersPerLine, values, why) == kIntegersPerLine &&
         line.find_first_of(".eE") == std::string::npos;
}

// Line 1 is the volume digit and the kind, "2 CORRECTED ACCELEROGRAM"; line
// 12 is the first of the integer header.
bool recognise(const std::vector<std::string>& head) {
  if (head.size() < kTextLines + 1) return false;
  const std::string& first = head[0];
  return first.size() > 2 && is_digit(first[0]) && first[1] == ' ' && is_alpha(first[2]) &&
         integer_line(head[kTextLines]);
}

std::vector<double> numbers(TextFile& file, const std::vector<std::string>& header, std::size_t first,
                            std::size_t lines, std::size_t width, std::size_t per_line) {
  std::vector<double> values;
  std::string why;
  for (std::size_t k = first; k < first + lines; ++k) {
    int read = read_fields(header[k], width, per_line, values, why);
    if (read < 0) file.fail_at(static_cast<long>(k + 1), why);
    if (static_cast<std::size_t>(read) != per_line) {
      file.fail_at(static_cast<long>(k + 1),
                   std::to_string(read) + " of " + std::to_string(per_line) + " header values");
    }
  }
  return values;
}

// The number after "=" that follows the first of the words on line, if any.
std::optional<double> number_after(std::string_view line, std::initializer_list<std::string_view> words) {
  for (std::string_view word : words) {
    std::size_t at = find_nocase(line, word);
    if (at == std::string_view::npos) continue;
    std::size_t equals = line.find('=', at);
    if (equals == std::string_view::npos) continue;
    std::string_view rest = trim(line.substr(equals + 1));
    return parse_number(rest.substr(0, rest.find_first_of(" ,")));
  }
  return std::nullopt;
}

Orientation orientation(TextFile& file, const std::vector<double>& ints, const std::string& text) {
  const double unset = ints[kIntUnset];
  const double from_vertical = ints[kFromVertical], azimuth = ints[kAzimuth];
  if (from_vertical == 0 || from_vertical == 180) return {Axis::kVertical, -1};
  if (from_vertical == 90 && azimuth != unset && azimuth >= 0 && azimuth <= 360) {
    return {Axis::kHorizontal, static_cast<int>(azimuth)};
  }
  if (auto o = classify_orientation(text)) return *o;
  file.fail_at(6, "cannot tell the component's orientation from " + quoted(text));
}

// The data lines may go to a component file as they are when every value has
// its decimal point (the component reader gives a field without one implied
// decimals) and every line but the last is full.
bool copyable(const std::vector<std::string>& lines, std::size_t values) {
  for (std::size_t k = 0; k < lines.size(); ++k) {
    for (std::size_t f = 0; f < kValuesPerLine && k * kValuesPerLine + f < values; ++f) {
      std::string_view field = columns(lines[k], 1 + f * kValueWidth, kValueWidth);
      if (field.find('.') == std::string_view::npos) return false;
    }
  }
  return lines.size() == (values + kValuesPerLine - 1) / kValuesPerLine;
}

// Line 4 "     1989  10  18    0004 Loma Prieta, CA": the date, the origin's
// hour and minute, the event; line 5 "Moment Mag=      7.1 Ms=      7.1 Ml=      7.0".
void describe_event(Channel& ch) {
  int year = 0, month = 0, day = 0, consumed = 0;
  char hhmm[8];
  const std::string& line = ch.header_lines[3];
  if (std::sscanf(line.c_str(), "%4d %2d %2d %4s%n", &year, &month, &day, hhmm, &consumed) == 4) {
    ch.event_date = iso_date(year, month, day);
    ch.event = trim(std::string_view(line).substr(static_cast<std::size_t>(consumed)));
  }
  for (const char* key : {"mag=", "ms=", "ml="}) {
    if (!ch.magnitude) ch.magnitude = plausible_magnitude(number_after_key({ch.header_lines[4]}, key));
  }
}

// Set, and small enough to be a date or time field.
bool is_set(const std::vector<double>& ints, std::size_t slot) {
  return ints[slot] != ints[kIntUnset] && std::fabs(ints[slot]) < 1e5;
}

// The comment lines that follow the headers, each starting with '|'.
void read_comments(TextFile& file, Channel& ch, double comments) {
  std::string line;
  for (double k = 0; k < comments; ++k) {
    if (!file.next(line) || line.empty() || line[0] != '|') {
      file.fail("expected " + std::to_string(static_cast<long>(comments)) + " comment lines, each starting with '|'");
    }
    ch.header_lines.push_back(line);
  }
}

// The n data values: samples at an even interval, or (film records, even
// false) time/value pairs.
void read_data(TextFile& file, Channel& ch, std::size_t n, bool even) {
  TimedSamples timed(ch, file);
  std::size_t read = 0;
  double time = 0;
  const long first_data_line = file.line_number() + 1;
  auto each = [&](double v) {
    if (even) return add_sample(ch, v, file);
    if (read++ % 2 == 0) {
      time = v;
      return;
    }
    // Times are written to five significant digits: "2.2200E+1".
    const double unit = time == 0 ? 1e-4 : std::pow(10.0, std::floor(std::log10(std::fabs(time))) - 4);
    timed.add(time, unit, v, file.line_number());
  };
  std::vector<std::string> lines;
  if (!read_block(file, kValueWidth, kValuesPerLine, n, each, &lines)) {
    file.fail("the header counts " + std::to_string(n) + " values, the data end after " +
              std::to_string(even ? ch.samples.size() : read));
  }
  if (!even && n % 2 != 0) file.fail("an odd number of values in time/value pairs");
  if (!even) timed.finish(first_data_line);
  if (even && copyable(lines, n)) {
    ch.data_lines = std::move(lines);
    char descriptor[120];
    std::snprintf(descriptor, sizeof descriptor,
                  "%6zu points of accel data equally spaced at %g sec, in cm/sec2.  (8e10.4)", n, ch.interval);
    ch.data_descriptor = descriptor;
  }
}

// The station code (line 3), the station's name and the component (line 6).
void set_station(Channel& ch, TextFile& file, const std::vector<double>& ints) {
  // The station code stands in columns 1 to 4 (a fifth character follows).
  std::string_view code = trim(columns(ch.header_lines[2], 1, 4));
  if (code != "*") ch.station_code = code;
  std::string_view station = ch.header_lines[5];
  std::size_t name = find_nocase(station, "station"), component = find_nocase(station, "component");
  if (component != std::string_view::npos) {
    std::size_t equals = station.find('=', component);
    ch.orientation_text = trim(station.substr(equals == std::string_view::npos ? component + 9 : equals + 1));
  }
  if (name != std::string_view::npos && name < component) {
    std::size_t equals = station.find('=', name);
    if (equals < component) ch.station_name = trim(station.substr(equals + 1, component - equals - 1));
  }
  ch.orientation = orientation(file, ints, ch.orientation_text);
}

// The record's start (UTC) from the integer header, where it is set.
void set_start(Channel& ch, const std::vector<double>& ints) {
  auto set = [&](std::size_t slot) { return is_set(ints, slot); };
  if (!(set(kYear) && set(kDayOfYear) && set(kHour) && set(kMinute) && set(kSecond))) return;
  ch.start_time = civil_time(static_cast<int>(ints[kYear]), 1, static_cast<int>(ints[kDayOfYear]),
                             static_cast<int>(ints[kHour]), static_cast<int>(ints[kMinute]),
                             static_cast<int>(ints[kSecond]), set(kMillis) ? static_cast<int>(ints[kMillis]) : -1);
  StatedTime t;  // UTC
  t.year = static_cast<int>(ints[kYear]), t.month = 1, t.day = static_cast<int>(ints[kDayOfYear]);
  t.hour = static_cast<int>(ints[kHour]), t.minute = static_cast<int>(ints[kMinute]);
  t.second = ints[kSecond] + (set(kMillis) ? ints[kMillis] / 1000 : 0);
  ch.start_iso = iso_time(t);
}

void read(TextFile& file, std::vector<Channel>& channels) {
  Channel ch = start_channel(file, "smc", kHeaderLines);
  ch.number = "1";  // the file's one channel
  const std::string& kind = ch.header_lines[0];
  if (kind[0] != '1' && kind[0] != '2') { file.fail_at(1, "not an acceleration record: " + quoted(trim(kind))); }
  const bool film_pairs_possible = kind[0] == '1';
  std::vector<double> ints = numbers(file, ch.header_lines, kTextLines, kIntegerLines, kIntegerWidth, kIntegersPerLine);
  for (std::size_t k = 0; k < kIntegerLines; ++k)
    check_integers(file, static_cast<long>(kTextLines + k + 1), ints, k * kIntegersPerLine, (k + 1) * kIntegersPerLine);
  std::vector<double> reals =
      numbers(file, ch.header_lines, kTextLines + kIntegerLines, kRealLines, kRealWidth, kRealsPerLine);

  const double comments = ints[kComments];
  if (comments == ints[kIntUnset] || comments < 0) file.fail_at(13, "no comment line count");
  if (ints[kValues] == ints[kIntUnset]) file.fail_at(14, "no data value count");
  const std::size_t n = checked_count(file, 14, ints[kValues], "data value count (integer 17)");
  checked_count(file, 13, comments, "comment line count (integer 16)", 0);
  read_comments(file, ch, comments);

  // Film records hold time/value pairs.
  const double rate = reals[kRate];
  const bool even = rate != reals[kRealUnset] && rate > 0;
  if (!even && !film_pairs_possible) file.fail_at(18, "no sampling rate");
  if (even) ch.interval = checked_interval(file, 18, 1.0 / rate);
  ch.unit = "cm/s/s";
  ch.to_cm_s2 = 1.0;
  read_data(file, ch, n, even);

  set_station(ch, file, ints);
  set_start(ch, ints);
  describe_event(ch);
  ch.processing = film_pairs_possible ? "uncorrected" : "corrected";
  if (auto peak = number_after(ch.header_lines[6], {"peak", "pk"})) ch.stated_peak = std::fabs(*peak);
  channels.push_back(std::move(ch));
}

}  // namespace

const AgencyFormat kSmcFormat = {"smc", "USGS SMC (.smc), Volume 1 or 2, one channel, cm/s²", recognise, read};

}  // namespace kvb
