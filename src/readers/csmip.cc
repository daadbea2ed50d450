#include "readers/csmip.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "component_layout.h"
#include "readers/csmip_descriptor.h"
#include "readers/csmip_header.h"
#include "readers/identity.h"
#include "readers/numbers.h"
#include "readers/pairs.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/orientation.h"
#include "record/standard_gravity.h"

namespace kvb {

namespace {

// A channel header longer than this is not a Volume 1/2 header (they hold 27
// to 45 lines); the limit keeps memory bounded on files of another kind.
constexpr std::size_t kMaxHeaderLines = 200;
// The film-era pairs have no descriptor: 13 text lines, 7 integer and 7 real
// header lines, then the pairs, five to a line in 7-column fields.
constexpr std::size_t kPairsHeaderLines = 27;
constexpr int kPairFields = 10;
constexpr int kPairWidth = 7;

bool is_channel_end(std::string_view line) { return line.substr(0, 2) == "/&"; }

bool mentions_points(std::string_view line) { return find_nocase(line, "points") != std::string_view::npos; }

// A line of the film-era pairs: no letters, and fields of 7 columns that are
// numbers, the first one at least.
bool is_pairs_line(const std::string& line) {
  for (char c : line)
    if (is_alpha(c)) return false;
  return parse_number(columns(line, 1, kPairWidth)).has_value();
}

// The text after key (any case) on the first line that holds it, up to stop.
std::string after(const std::vector<std::string>& lines, std::string_view key, std::string_view stop = {}) {
  for (const std::string& line : lines) {
    std::string low = lowered(line);
    std::size_t at = low.find(key);
    if (at == std::string::npos) continue;
    std::string rest = line.substr(at + key.size());
    if (!stop.empty()) {
      std::size_t end = lowered(rest).find(stop);
      if (end != std::string::npos) rest.resize(end + stop.size());
    }
    return std::string(trim(rest));
  }
  return {};
}

// The number after key on the first line that holds it.
std::optional<double> number_after(const std::vector<std::string>& lines, std::string_view key) {
  std::string rest = after(lines, key);
  std::size_t end = rest.find_first_of(" ,");
  return parse_number(rest.substr(0, end));
}

// The unit of the acceleration data as the descriptor states it, and its factor.
bool descriptor_unit(const std::string& descriptor, Channel& ch) {
  std::string low = lowered(descriptor);
  struct Unit {
    const char* text;
    const char* name;
    double factor;
  };
  for (const Unit& u :
       {Unit{"cm/sec2", "cm/sec2", 1.0}, Unit{"cm/sec/sec", "cm/sec/sec", 1.0},
        Unit{"units of g/10", "g/10", kStandardGravity / 10}, Unit{"units: g/10", "g/10", kStandardGravity / 10},
        Unit{"units of g", "g", kStandardGravity}, Unit{"units: g", "g", kStandardGravity}}) {
    if (low.find(u.text) != std::string::npos) {
      ch.unit = u.name;
      ch.to_cm_s2 = u.factor;
      return true;
    }
  }
  return false;
}

// Reads the header from first (already read) up to and including the
// acceleration descriptor; or, for Volume 1, up to the first line of
// time/value pairs, which leaves descriptor empty.
std::vector<std::string> read_header(TextFile& file, CsmipVolume volume, const std::string& first, long start,
                                     std::string& descriptor) {
  std::vector<std::string> header;
  std::string line = first;
  for (;;) {
    if (is_accel_descriptor(line)) {
      descriptor = line;
      return header;
    }
    if (volume == CsmipVolume::kOne && header.size() == kPairsHeaderLines && is_pairs_line(line)) {
      descriptor.clear();
      header.push_back(line);  // handed back as the first data line
      return header;
    }
    if (header.size() == kMaxHeaderLines)
      file.fail_at(start, "no acceleration data line (\"N points of accel data ...\") within " +
                              std::to_string(kMaxHeaderLines) + " lines of this channel's start");
    header.push_back(line);
    if (!file.next(line))
      file.fail("the file ends before the acceleration data of the channel that starts at line " +
                std::to_string(start));
  }
}

// The failure for field k + 1 of a data line, which is no number.
[[noreturn]] void fail_field(const TextFile& file, std::string_view field, int k) {
  std::string shown(trim(field));
  file.fail("field " + std::to_string(k + 1) + ": " +
            (shown.empty() ? std::string("blank field") : "\"" + escaped(shown) + "\" is not a number"));
}

// One value of a data line, or a failure naming the field.
double field_value(const TextFile& file, std::string_view field, int k) {
  auto value = parse_number(field);
  if (!value) fail_field(file, field, k);
  return *value;
}

// Fields after the last value of a line must be blank, and so must the
// columns past the line's last field.
void check_rest_blank(const TextFile& file, std::string_view line, int from, int fields, int width) {
  for (int k = from; k < fields; ++k) {
    std::string_view field = columns(line, static_cast<std::size_t>(k * width) + 1, static_cast<std::size_t>(width));
    if (!trim(field).empty())
      file.fail("more values than the descriptor's point count (field " + std::to_string(k + 1) + " holds \"" +
                escaped(field) + "\")");
  }
  if (!trim(columns(line, static_cast<std::size_t>(fields * width) + 1, std::string::npos)).empty())
    file.fail("more than " + std::to_string(fields) + " fields of " + std::to_string(width) + " columns");
}

void read_equally_spaced(TextFile& file, const Descriptor& d, Channel& ch) {
  const DataLayout& layout = d.layout;
  const std::size_t width = static_cast<std::size_t>(layout.width);
  // Lines already in read-KVB's layout, in cm/s², every value with its point,
  // are copied as they are.
  bool copy = layout.width == layout::kFieldWidth && layout.per_line == layout::kFieldsPerRecord && ch.to_cm_s2 == 1.0;
  long left = d.points;
  std::string_view line;
  // A stated count is reserved only up to a modest size: the file may be shorter.
  const std::size_t reserved = std::min<std::size_t>(static_cast<std::size_t>(d.points), std::size_t{1} << 16);
  ch.samples.reserve(reserved);
  if (copy) ch.data_lines.reserve(reserved / layout::kFieldsPerRecord + 1);
  std::vector<double> values(static_cast<std::size_t>(layout.per_line));  // of one line
  while (left > 0) {
    if (!file.next(line))
      file.fail("the file ends after " + std::to_string(d.points - left) + " of " + std::to_string(d.points) +
                " acceleration points");
    int count = left < layout.per_line ? static_cast<int>(left) : layout.per_line;
    const std::size_t read = parse_fields(line, static_cast<std::size_t>(count), width, values.data(), copy);
    for (std::size_t k = 0; k < read; ++k) add_sample(ch, values[k], file);
    if (read < static_cast<std::size_t>(count))
      fail_field(file, columns(line, read * width + 1, width), static_cast<int>(read));
    check_rest_blank(file, line, count, layout.per_line, layout.width);
    if (copy) ch.data_lines.emplace_back(line);
    left -= count;
  }
  if (!copy) ch.data_lines.clear();
}

// After the acceleration data: the velocity and displacement blocks (Volume 2)
// up to the channel's end line "/&", which Volume 1 has right away.
void skip_to_channel_end(TextFile& file, const Descriptor& d) {
  std::string_view line;
  if (!file.next(line) || is_channel_end(line)) return;
  if (!is_blank(line) && !mentions_points(line))
    file.fail("more acceleration data than the " + std::to_string(d.points) + " points its descriptor announces");
  while (file.next(line) && !is_channel_end(line)) {
    if (is_accel_descriptor(line)) file.fail("a second acceleration block before this channel's end line (\"/&\")");
  }
}

// The film-era pairs: "NO. OF POINTS =  11999" pairs of time (s) and value
// (g/10), five pairs a line, then the end line.
void read_pairs(TextFile& file, const std::string& first, long start, Channel& ch) {
  auto stated = number_after(ch.header_lines, "no. of points =");
  if (!stated || *stated < 1 || *stated != std::floor(*stated) || *stated > 1e7)
    file.fail_at(start, "no point count (\"No. of points = N\") in this channel's header");
  const long points = static_cast<long>(*stated);
  ch.unit = "g/10";
  ch.to_cm_s2 = kStandardGravity / 10;
  if (lowered(after(ch.header_lines, "units of uncor accel are")).find("g/10") == std::string::npos) {
    ch.unit = "g";
    ch.to_cm_s2 = kStandardGravity;
  }
  ch.interval = 0.0;
  TimedSamples timed(ch, file);
  std::string line = first;
  long values = 0;  // times and accelerations
  const long first_line = file.line_number();
  for (bool have = true;; have = file.next(line)) {
    if (!have || is_channel_end(line)) break;
    if (values == 2 * points) file.fail("more pairs than the " + std::to_string(points) + " its header announces");
    int count = 2 * points - values < kPairFields ? static_cast<int>(2 * points - values) : kPairFields;
    for (int k = 0; k < count; k += 2) {
      std::string_view time = columns(line, static_cast<std::size_t>(k * kPairWidth) + 1, kPairWidth);
      if (trim(time).empty() && k > 0) {  // a short last line
        count = k;
        break;
      }
      double t = field_value(file, time, k);
      if (k + 1 == count) file.fail("a time without its value");
      std::string_view value = columns(line, static_cast<std::size_t>((k + 1) * kPairWidth) + 1, kPairWidth);
      timed.add(t, printed_unit(time), field_value(file, value, k + 1), file.line_number());
    }
    check_rest_blank(file, line, count, kPairFields, kPairWidth);
    values += count;
  }
  if (values != 2 * points)
    file.fail("the channel that starts at line " + std::to_string(start) + " holds " + std::to_string(values / 2) +
              " pairs, its header announces " + std::to_string(points));
  timed.finish(first_line);
}

// What the header says of the earthquake and the record: "WHITTIER EARTHQUAKE"
// on one of lines 2 to 4, "(ORIGIN(CIT): 10/01/87, 14:42:20.0 GMT)", "ML=6.1(CIT)",
// "Start time:  2/13/12, 21:06:45.0 UTC" or "TRIGGER TIME: 05/02/83, 16:42:48.2 PDT",
// "bandpass filtered with 3 dB pts at   .30 and 40.00 cyc/sec" and (Volume 2)
// "Initial velocity  =      .257   cm/sec".
void describe_record(Channel& ch) {
  const std::vector<std::string>& lines = ch.header_lines;
  for (std::size_t k = 1; k < 4 && k < lines.size() && ch.event.empty(); ++k) {
    std::string_view line = trim(lines[k]);
    if (find_nocase(line, "earthquake") != std::string_view::npos && !starts_with_nocase(line, "record of"))
      ch.event = line.substr(0, line.find("   "));
  }
  for (const std::string& line : lines) {
    std::size_t origin = find_nocase(line, "origin");
    std::size_t colon = origin == std::string::npos ? origin : line.find(':', origin);
    if (colon == std::string::npos) continue;
    if (auto t = us_time(std::string_view(line).substr(colon + 1))) ch.event_date = utc_date(*t);
    break;
  }
  for (const char* key : {"mw=", "ml=", "ml:"}) {
    if (!ch.magnitude) ch.magnitude = plausible_magnitude(number_after_key(lines, key));
  }
  ch.initial_velocity_cm_s = number_after_key(lines, "initial velocity");  // "Initial velocity  =   .257   cm/sec"
  for (const char* key : {"start time:", "trigger time:"}) {
    std::string text = after(lines, key);
    auto t = us_time(text);
    if (ch.start_iso.empty() && t) ch.start_iso = iso_time(*t);
  }
  for (const std::string& line : lines) {
    std::size_t filtered = find_nocase(line, "filtered with");
    std::size_t at =
        filtered == std::string::npos ? filtered : find_nocase(std::string_view(line).substr(filtered), " at ");
    if (at == std::string::npos) continue;
    if (auto band = band_corners(std::string_view(line).substr(filtered + at))) {
      ch.filter_low_hz = band->first;
      ch.filter_high_hz = band->second;
    }
    break;
  }
}

void describe_channel(const TextFile& file, long start, Channel& ch) {
  auto parsed = parse_channel_header(ch.header_lines);
  if (!parsed) file.fail_at(start, "no channel line (\"Chan  1: 360 Deg\") in this channel's header");
  ch.number = std::to_string(parsed->channel);
  ch.orientation_text = parsed->orientation;
  ch.station_code = parsed->station_number;
  ch.station_name = parsed->station_name;
  set_place(ch, parsed->place);
  auto orientation = classify_orientation(ch.orientation_text);
  if (!orientation)
    file.fail_at(start, "channel " + ch.number + ": unknown orientation \"" + escaped(ch.orientation_text) + "\"");
  ch.orientation = *orientation;
  ch.start_time = after(ch.header_lines, "start time:", "utc");
  if (ch.start_time.empty()) ch.start_time = after(ch.header_lines, "trigger time:");
  std::string location = after(ch.header_lines, "location:");
  ch.location = location.substr(0, location.find("  "));
  describe_record(ch);
}

// The peak the header states: "Peak acceleration =  77.280 cm/sec/sec"
// (Volume 2), "Max  =   .079 g" (Volume 1, in g also for the pairs).
void stated_peak(Channel& ch, CsmipVolume volume) {
  if (volume == CsmipVolume::kTwo) {
    if (auto peak = number_after(ch.header_lines, "peak acceleration =")) ch.stated_peak = *peak;
  } else if (auto peak = number_after(ch.header_lines, "max  =")) {
    ch.stated_peak = *peak * kStandardGravity;
  }
}

}  // namespace

bool first_line_starts(const std::vector<std::string>& head, std::string_view prefix) {
  return !head.empty() && starts_with_nocase(head[0], prefix);
}

void read_csmip(TextFile& file, CsmipVolume volume, const char* format_name, std::vector<Channel>& channels) {
  std::size_t found = 0;
  std::string line;
  while (file.next(line)) {
    if (is_blank(line)) continue;  // between channels, and at the end

    Channel ch;
    ch.source = file.path();
    ch.format = format_name;
    ch.line = file.line_number();
    std::string descriptor;
    ch.header_lines = read_header(file, volume, line, ch.line, descriptor);
    std::string first_pair;
    if (descriptor.empty()) {
      first_pair = ch.header_lines.back();
      ch.header_lines.pop_back();
    }
    const long descriptor_line = file.line_number();
    describe_channel(file, ch.line, ch);
    ch.processing = volume == CsmipVolume::kOne ? "uncorrected" : "corrected";
    stated_peak(ch, volume);

    if (descriptor.empty()) {
      read_pairs(file, first_pair, ch.line, ch);
    } else {
      std::string why;
      auto d = parse_descriptor(descriptor, why);
      if (!d) file.fail_at(descriptor_line, why);
      if (volume == CsmipVolume::kOne && !d->layout.stated) d->layout.width = 9;
      if (!descriptor_unit(descriptor, ch)) {
        ch.unit = volume == CsmipVolume::kTwo ? "cm/sec2" : "g";
        ch.to_cm_s2 = volume == CsmipVolume::kTwo ? 1.0 : kStandardGravity;
      }
      ch.interval = checked_interval(file, descriptor_line, d->interval);
      ch.data_descriptor = descriptor;
      read_equally_spaced(file, *d, ch);
      skip_to_channel_end(file, *d);
    }
    channels.push_back(std::move(ch));
    ++found;
  }
  if (found == 0) throw SplitError(escaped(file.path()) + ": no channel in this file");
}

}  // namespace kvb
