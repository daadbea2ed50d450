#include "readers/geonet.h"

#include <cctype>
#include <cmath>
#include <initializer_list>

#include "readers/identity.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

// A component: 16 text lines, 40 integers and 60 reals (10 fields of 8
// columns a line), then its blocks of 8-column values, 10 a line, one after
// another with nothing between them: acceleration, then velocity and
// displacement (both empty in an uncorrected file). The next component
// follows at once.
constexpr std::size_t kTextLines = 16, kIntegerLines = 4, kRealLines = 6;
constexpr std::size_t kHeaderLines = kTextLines + kIntegerLines + kRealLines;
constexpr std::size_t kWidth = 8, kPerLine = 10;

// Slots, 0-based: origin year, month, day, hour, minute, second × 10; the
// values of the three blocks; the sample interval in seconds.
enum { kYear = 0, kMonth, kDay, kHour, kMinute, kTenths };
enum { kAccelerationValues = 33, kVelocityValues = 34, kDisplacementValues = 35 };
enum { kInterval = 25 };
// Text lines, 0-based: station, station name, the interval (and the units of
// an uncorrected file), the component, the acceleration peak,
// the epicentre and magnitude, the filter.
enum {
  kSiteLine = 1,
  kNameLine = 2,
  kEpicentreLine = 8,
  kIntervalLine = 10,
  kFilterLine = 11,
  kComponentLine = 12,
  kPeakLine = 13
};

constexpr double kMillimetres = 0.1;  // mm/s² to cm/s²

// "Corrected accelerogram 20180212_211554_WPWS_20 GNS Science"
bool first_line(std::string_view line) {
  line = trim(line);
  std::string_view id;
  for (std::string_view kind : {"Corrected accelerogram ", "Uncorrected accelerogram "}) {
    if (starts_with_nocase(line, kind)) id = line.substr(kind.size());
  }
  if (id.size() < 16 || id[8] != '_' || id[15] != '_') return false;
  for (std::size_t k : std::initializer_list<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14}) {
    if (!is_digit(id[k])) return false;
  }
  std::string_view agency = "GNS Science";
  return id.size() >= agency.size() && find_nocase(id.substr(id.size() - agency.size()), agency) == 0;
}

bool recognise(const std::vector<std::string>& head) { return !head.empty() && first_line(head[0]); }

// The first word after the line's first word: "Site WPWS ..." -> "WPWS".
std::string_view second_word(std::string_view line) {
  line = trim(line);
  std::size_t gap = line.find(' ');
  if (gap == std::string_view::npos) return {};
  line = trim(line.substr(gap));
  return line.substr(0, line.find(' '));
}

// The number following word on line, if any: "units of 1.00 mm/s/s", "peak  -41.6 mm/s/s".
std::optional<double> number_after(std::string_view line, std::string_view word) {
  std::size_t at = find_nocase(line, word);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = trim(line.substr(at + word.size()));
  return parse_number(rest.substr(0, rest.find(' ')));
}

std::vector<double> header_numbers(TextFile& file, const std::vector<std::string>& lines, std::size_t first,
                                   std::size_t count, long line_of_first) {
  std::vector<double> values;
  std::string why;
  for (std::size_t k = first; k < first + count; ++k) {
    long at = line_of_first + static_cast<long>(k);
    int read = read_fields(lines[k], kWidth, kPerLine, values, why);
    if (read < 0) file.fail_at(at, why);
    if (read != static_cast<int>(kPerLine)) file.fail_at(at, std::to_string(read) + " of 10 header values");
  }
  return values;
}

std::size_t block_size(TextFile& file, double slot, long line, const char* what) {
  if (slot < 0 || slot > 1e8 || slot != std::floor(slot)) {
    file.fail_at(line, "no " + std::string(what) + " value count");
  }
  return static_cast<std::size_t>(slot);
}

void read_component(TextFile& file, const std::string& first, std::vector<Channel>& channels, int number) {
  Channel ch = channel_from(file, "geonet", number, first);
  read_lines(file, kHeaderLines, ch.header_lines, "a component's header");
  const std::vector<std::string>& text = ch.header_lines;
  std::vector<double> ints = header_numbers(file, text, kTextLines, kIntegerLines, ch.line);
  for (std::size_t k = 0; k < kIntegerLines; ++k)
    check_integers(file, ch.line + static_cast<long>(kTextLines + k), ints, k * kPerLine, (k + 1) * kPerLine);
  std::vector<double> reals = header_numbers(file, text, kTextLines + kIntegerLines, kRealLines, ch.line);
  const long counts_line = ch.line + static_cast<long>(kTextLines) + 3;
  std::size_t n = block_size(file, ints[kAccelerationValues], counts_line, "acceleration");
  std::size_t velocity = block_size(file, ints[kVelocityValues], counts_line, "velocity");
  std::size_t displacement = block_size(file, ints[kDisplacementValues], counts_line, "displacement");
  if (n == 0) file.fail_at(counts_line, "no acceleration values");
  ch.interval = checked_interval(file, ch.line + static_cast<long>(kTextLines + kIntegerLines) + 2, reals[kInterval]);

  // An uncorrected file gives its readings in units of some mm/s².
  double units = 1.0;
  if (starts_with_nocase(first, "Uncorrected")) {
    units = number_after(text[kIntervalLine], "units of").value_or(1.0);
    if (!(units > 0)) file.fail_at(ch.line + kIntervalLine, "units of " + std::to_string(units) + " mm/s/s");
  }
  ch.unit = "mm/s/s";
  ch.to_cm_s2 = units * kMillimetres;

  auto sample = [&](double v) { add_sample(ch, v, file); };
  auto skip = [](double) {};
  if (!read_block(file, kWidth, kPerLine, n, sample) || !read_block(file, kWidth, kPerLine, velocity, skip) ||
      !read_block(file, kWidth, kPerLine, displacement, skip)) {
    file.fail("the file ends inside component " + std::to_string(number) + "'s data");
  }

  ch.station_code = second_word(text[kSiteLine]);
  set_place(ch, coordinates_in(text[kSiteLine]));
  ch.station_name = trim(text[kNameLine]);
  ch.orientation_text = second_word(text[kComponentLine]);
  if (auto o = classify_orientation(ch.orientation_text)) {
    ch.orientation = *o;
  } else {
    file.fail_at(ch.line + kComponentLine,
                 "cannot tell the component's orientation from " + quoted(ch.orientation_text));
  }
  if (starts_with_nocase(trim(text[kPeakLine]), "Acceleration")) {
    if (auto peak = number_after(text[kPeakLine], "peak")) ch.stated_peak = std::fabs(*peak) * ch.to_cm_s2;
  }
  auto in = [&](std::size_t slot, double low, double high) { return ints[slot] >= low && ints[slot] <= high; };
  if (in(kYear, 1900, 2999) && in(kMonth, 1, 12) && in(kDay, 1, 31) && in(kHour, 0, 23) && in(kMinute, 0, 59) &&
      in(kTenths, 0, 609)) {
    const int tenths = static_cast<int>(ints[kTenths]);
    ch.start_time =
        civil_time(static_cast<int>(ints[kYear]), static_cast<int>(ints[kMonth]), static_cast<int>(ints[kDay]),
                   static_cast<int>(ints[kHour]), static_cast<int>(ints[kMinute]), tenths / 10, tenths % 10 * 100);
    StatedTime t;  // UT
    t.year = static_cast<int>(ints[kYear]), t.month = static_cast<int>(ints[kMonth]);
    t.day = static_cast<int>(ints[kDay]), t.hour = static_cast<int>(ints[kHour]);
    t.minute = static_cast<int>(ints[kMinute]), t.second = tenths / 10.0;
    ch.start_iso = iso_time(t);
    ch.event_date = utc_date(t);
  }
  ch.processing = starts_with_nocase(first, "Corrected") ? "corrected" : "uncorrected";
  // "Epicentre ... Depth    9km M  4.17"; "Band-pass filter transition bands are .10-.25 Hz and 24.50-25.50 Hz".
  std::string_view epicentre = text[kEpicentreLine];
  std::size_t magnitude = epicentre.rfind(" M ");
  if (magnitude != std::string_view::npos)
    ch.magnitude = plausible_magnitude(parse_number(trim(epicentre.substr(magnitude + 3))));
  std::size_t bands = find_nocase(text[kFilterLine], "bands are");
  if (auto band = bands == std::string::npos ? std::nullopt : band_corners(text[kFilterLine].substr(bands))) {
    ch.filter_low_hz = band->first;
    ch.filter_high_hz = band->second;
  }
  channels.push_back(std::move(ch));
}

void read(TextFile& file, std::vector<Channel>& channels) {
  std::string line;
  int components = 0;
  while (file.next(line)) {
    if (trim(line).empty()) continue;
    if (!first_line(line)) { file.fail("expected the first line of a component, found " + quoted(line.substr(0, 80))); }
    read_component(file, line, channels, ++components);
  }
  if (components == 0) file.fail("no component in the file");
}

}  // namespace

const AgencyFormat kGeonetFormat = {"geonet", "GeoNet (.V1A, .V2A), three channels, mm/s²", recognise, read};

}  // namespace kvb
