#include "readers/cosmos.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/field_format.h"
#include "readers/identity.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/standard_gravity.h"

namespace kvb {

namespace {

constexpr double kUnset = -999.0;
constexpr std::size_t kKeptHeaderLines = 40;
constexpr long kMostTextLines = 1000;

// "Corrected acceleration    (Format v01.20 with 13 text lines)"
bool is_first_line(std::string_view line) {
  return find_nocase(line, "(format v") != std::string_view::npos &&
         find_nocase(line, "text lines)") != std::string_view::npos;
}

bool is_end_line(std::string_view line) {
  return starts_with_nocase(trim(line), "end-of-data") || starts_with_nocase(line, "/&");
}

// The file's lines, one of which can be put back: a channel without an end
// line ends where the next channel's first line stands.
class Lines {
 public:
  explicit Lines(TextFile& file) : file_(file) {}
  bool next(std::string& line) {
    if (held_) {
      line = std::move(held_line_);
      held_ = false;
      return true;
    }
    return file_.next(line);
  }
  void put_back(std::string line) {
    held_line_ = std::move(line);
    held_ = true;
  }
  std::string expect(const std::string& what) {
    std::string line;
    if (!next(line)) file_.fail("the file ends where " + what + " should follow");
    return line;
  }
  TextFile& file() { return file_; }

 private:
  TextFile& file_;
  std::string held_line_;
  bool held_ = false;
};

// " 100 Integer-header values follow on  10 lines, Format= (10I8)"
struct Announcement {
  long count = 0;
  long lines = 0;
  FieldLayout layout;
};

std::optional<Announcement> parse_announcement(std::string_view line, std::string_view keyword) {
  std::size_t on = find_nocase(line, " on ");
  std::size_t format = find_nocase(line, "format=");
  if (find_nocase(line, keyword) == std::string_view::npos || on == std::string_view::npos ||
      format == std::string_view::npos) {
    return std::nullopt;
  }
  std::optional<long> count = leading_integer(line), lines = leading_integer(line.substr(on + 4));
  std::optional<FieldLayout> layout = parse_field_format(line.substr(format + 7));
  if (!count || !lines || !layout) return std::nullopt;
  return Announcement{*count, *lines, *layout};
}

// Volume 0: its first line's words, its units code.
constexpr std::string_view kRawCounts = "raw acceleration counts";
constexpr long kCountsCode = 50;

// "   42000 acceleration pts, approx  210 secs, units=cm/sec2(04),Format=(1E15.6)"
struct DataLine {
  long points = 0;
  std::string kind;  // "acceleration", "velocity", "displacement"
  std::string unit;  // "cm/sec2", "g"
  std::optional<long> unit_code;
  std::optional<FieldLayout> layout;
};

std::optional<DataLine> parse_data_line(std::string_view line) {
  std::optional<long> points = leading_integer(line);
  std::size_t pts = find_nocase(line, " pts");
  if (!points || pts == std::string_view::npos) return std::nullopt;
  DataLine d;
  d.points = *points;
  std::string_view before = trim(line.substr(0, pts));
  before.remove_prefix(std::min(before.find_first_not_of("0123456789"), before.size()));
  d.kind = std::string(trim(before));
  for (char& c : d.kind) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::size_t format = find_nocase(line, "format=");
  if (format != std::string_view::npos) d.layout = parse_field_format(line.substr(format + 7));
  std::size_t units = find_nocase(line, "units=");
  if (units != std::string_view::npos) {
    std::string_view text = line.substr(
        units + 6, format == std::string_view::npos || format < units ? std::string_view::npos : format - units - 6);
    std::size_t open = text.find('(');
    if (open != std::string_view::npos) d.unit_code = leading_integer(text.substr(open + 1));
    std::string_view word = trim(text.substr(0, std::min(open, text.find(','))));
    while (!word.empty() && word.back() == '.') word.remove_suffix(1);
    d.unit = std::string(word);
  }
  return d;
}

// The values of an integer or real header: slot k (1-based) is values[k - 1].
std::vector<double> read_header_values(Lines& in, const Announcement& a, const std::string& what,
                                       std::vector<std::string>& header, bool integers) {
  std::vector<double> values;
  for (long k = 0; k < a.lines; ++k) {
    std::string line = in.expect("line " + std::to_string(k + 1) + " of the " + what);
    std::string why;
    const std::size_t before = values.size();
    if (read_fields(line, a.layout.width, a.layout.per_line, values, why) < 0) in.file().fail(what + ": " + why);
    if (integers) check_integers(in.file(), in.file().line_number(), values, before, values.size());
    header.push_back(std::move(line));
  }
  if (static_cast<long>(values.size()) != a.count) {
    in.file().fail(what + ": " + std::to_string(values.size()) + " values where its announcement says " +
                   std::to_string(a.count));
  }
  return values;
}

std::optional<double> slot(const std::vector<double>& values, std::size_t k) {
  if (k < 1 || k > values.size() || values[k - 1] == kUnset) return std::nullopt;
  return values[k - 1];
}

// Every value of a data block, checked against the data line's count; the
// values go to ch (in cm/s², each checked where it stands) and the lines to
// raw, where they are given.
void read_values(Lines& in, const DataLine& d, long data_line, Channel* ch, std::vector<std::string>* raw,
                 std::vector<double>* counts = nullptr, std::vector<long>* count_lines = nullptr) {
  TextFile& file = in.file();
  const std::string announced = "the " + std::to_string(d.points) + " " + d.kind + " values that line " +
                                std::to_string(data_line) + " announces";
  std::vector<double> values;
  std::string line;
  while (static_cast<long>(values.size()) < d.points) {
    if (!in.next(line)) file.fail("the file ends after " + std::to_string(values.size()) + " of " + announced);
    std::string why;
    const std::size_t before = values.size();
    if (read_fields(line, d.layout->width, d.layout->per_line, values, why) < 0) {
      if (is_end_line(line) || is_first_line(line) || parse_data_line(line)) {
        file.fail("the data end after " + std::to_string(values.size()) + " of " + announced);
      }
      file.fail(why);
    }
    if (static_cast<long>(values.size()) > d.points) file.fail("more values than " + announced);
    for (std::size_t k = before; ch && k < values.size(); ++k) add_sample(*ch, values[k], file);
    for (std::size_t k = before; counts && k < values.size(); ++k) {
      counts->push_back(values[k]);
      count_lines->push_back(file.line_number());
    }
    if (raw) raw->push_back(line);
  }
}

// After the acceleration: velocity and displacement blocks, end lines, then
// the end of the file or the next channel.
void skip_to_next_channel(Lines& in, const DataLine& acceleration, long data_line) {
  std::string line;
  while (in.next(line)) {
    if (is_first_line(line)) {
      in.put_back(std::move(line));
      return;
    }
    if (is_blank(line) || is_end_line(line)) continue;
    std::optional<DataLine> d = parse_data_line(line);
    if (d && d->layout && d->kind != "acceleration") {
      read_values(in, *d, in.file().line_number(), nullptr, nullptr);
      continue;
    }
    std::vector<double> values;
    std::string why;
    if (read_fields(line, acceleration.layout->width, acceleration.layout->per_line, values, why) >= 0) {
      in.file().fail("more values than the " + std::to_string(acceleration.points) + " acceleration values that line " +
                     std::to_string(data_line) + " announces");
    }
    in.file().fail("expected the end of the channel or the next channel's first line, found " + shown(line));
  }
}

// Integer header value 54: azimuth 0-360, 400-402 up, down, vertical, then
// horizontals without an azimuth (radial, transverse, longitudinal, tangential, H1, H2).
std::optional<Orientation> orientation_code(long code) {
  if (code >= 0 && code <= 360) return Orientation{Axis::kHorizontal, static_cast<int>(code)};
  if (code >= 400 && code <= 402) return Orientation{Axis::kVertical, -1};
  for (long horizontal : {500, 501, 600, 601, 700, 701}) {
    if (code == horizontal) return Orientation{Axis::kHorizontal, -1};
  }
  return std::nullopt;
}

// What the text header says: "Sta Chan  1: 360 deg (Rcrdr Chan  1) Location: roof",
// "Statn No: 05- 23837 Code:CE-23837  CGS  Pomona - Orange Grove".
struct TextFacts {
  std::string channel;      // "1", "?"
  std::string orientation;  // "360 deg", "Up", "Other"
  std::string location;
  std::string station_code, station_name;
  std::optional<Coordinates> place;  // "Coords: 34.063  -117.785"
};

TextFacts read_text_facts(const std::vector<std::string>& text) {
  TextFacts facts;
  std::size_t chan_line = text.size() >= 9 ? 8 : text.size();
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (starts_with_nocase(trim(text[k]), "sta cha")) {
      chan_line = k;
      break;
    }
  }
  if (chan_line < text.size()) {
    std::string_view line = text[chan_line];
    std::string_view chan = line.substr(0, line.find('('));
    std::size_t colon = chan.rfind(':');
    if (colon != std::string_view::npos) {
      facts.orientation = std::string(trim(chan.substr(colon + 1)));
      std::string_view before = trim(chan.substr(0, colon));
      std::size_t blank_at = before.find_last_of(" :");
      facts.channel = std::string(blank_at == std::string_view::npos ? before : before.substr(blank_at + 1));
    }
    std::size_t location = find_nocase(line, "location:");
    if (location != std::string_view::npos) facts.location = std::string(trim(line.substr(location + 9)));
  }
  for (std::string_view line : text) {
    const std::size_t coords = find_nocase(line, "coords:");
    if (coords != std::string_view::npos && !facts.place) facts.place = coordinates_in(line.substr(coords + 7));
  }
  for (std::string_view line : text) {
    std::size_t code = find_nocase(line, "code:");
    if (code == std::string_view::npos) continue;
    std::string_view rest = trim(line.substr(code + 5));
    std::size_t end = std::min(rest.find(' '), rest.size());
    facts.station_code = std::string(rest.substr(0, end));
    rest = trim(rest.substr(end));  // the agency, then the name
    end = std::min(rest.find(' '), rest.size());
    facts.station_name = std::string(trim(rest.substr(end)));
    break;
  }
  return facts;
}

// The channel code of a "|<SCNL>BMR.BNZ.AK.--" comment (station, channel,
// network, location), or "".
std::string scnl_channel(const std::vector<std::string>& comments) {
  for (std::string_view line : comments) {
    std::size_t at = find_nocase(line, "<scnl>");
    if (at == std::string_view::npos) continue;
    std::string_view scnl = line.substr(at + 6);
    scnl = scnl.substr(0, scnl.find(' '));
    std::size_t dot = scnl.find('.');
    if (dot == std::string_view::npos) return {};
    scnl = scnl.substr(dot + 1);
    return std::string(scnl.substr(0, scnl.find('.')));
  }
  return {};
}

// The orientation from integer value 54, the text header and the channel
// code. A vertical is sometimes written with code 0, the code of north: where
// the text line or the channel code says otherwise, they win over that code.
void set_orientation(Channel& ch, std::optional<double> code, const TextFacts& facts, const std::string& channel_code,
                     const TextFile& file) {
  std::optional<Orientation> by_code = code ? orientation_code(static_cast<long>(*code)) : std::nullopt;
  std::optional<Orientation> by_text = classify_orientation(facts.orientation);
  std::optional<Orientation> by_channel = classify_orientation(channel_code);
  ch.orientation_text = facts.orientation;
  if (by_code && *code == 0 && by_text && !(by_text->axis == Axis::kHorizontal && by_text->azimuth % 360 == 0)) {
    ch.orientation = *by_text;
  } else if (by_code && (*code != 0 || by_text || !by_channel)) {
    ch.orientation = *by_code;
  } else if (by_text) {
    ch.orientation = *by_text;
  } else if (by_channel) {
    ch.orientation = *by_channel;
    ch.orientation_text = channel_code;
  } else {
    file.fail_at(ch.line, "cannot tell the channel's orientation: integer header value 54 is " +
                              (code ? std::to_string(static_cast<long>(*code)) : std::string("unset")) +
                              ", the text says " + quoted(facts.orientation));
  }
}

// Integer values 40-45 (year, day of the year, month, day, hour, minute) and
// real value 30 (seconds) set the channel's start, in UTC, where all are set.
void set_start(Channel& ch, const std::vector<double>& ints, const std::vector<double>& reals) {
  std::optional<double> year = slot(ints, 40), month = slot(ints, 42), day = slot(ints, 43), hour = slot(ints, 44),
                        minute = slot(ints, 45), second = slot(reals, 30);
  if (!year || !month || !day || !hour || !minute || !second || *second < 0 || *second >= 60) return;
  const long millis = std::lround(*second * 1000);
  ch.start_time =
      civil_time(static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day), static_cast<int>(*hour),
                 static_cast<int>(*minute), static_cast<int>(millis / 1000), static_cast<int>(millis % 1000));
  StatedTime t;
  t.year = static_cast<int>(*year), t.month = static_cast<int>(*month), t.day = static_cast<int>(*day);
  t.hour = static_cast<int>(*hour), t.minute = static_cast<int>(*minute), t.second = static_cast<double>(millis) / 1000;
  ch.start_iso = iso_time(t);
}

// The text header's event: line 2 "Record of Point MacKenzie Earthquake of Fri Nov
// 30, 2018 17:29 UTC", line 3 "Hypocenter: ... Mw=7.0", line 4 "Origin: 2018/11/30
// 17:29:29 UTC"; and the kind's processing and filter ("Record filtered below
// 0.03 Hz (...), and above 20.0 Hz").
void describe_record(Channel& ch, const std::vector<std::string>& text) {
  ch.processing = starts_with_nocase(text[0], "corrected") ? "corrected" : "uncorrected";
  if (text.size() < 12) return;
  std::string_view record = trim(text[1]);
  std::size_t of = find_nocase(record, " earthquake of ");
  if (starts_with_nocase(record, "record of ") && of != std::string_view::npos)
    ch.event = trim(record.substr(10, of + 11 - 10));
  for (const char* key : {"mw=", "ml=", "ms=", "mb="}) {
    if (!ch.magnitude) ch.magnitude = plausible_magnitude(number_after_key({text[2]}, key));
  }
  int year = 0, month = 0, day = 0;
  std::size_t origin = find_nocase(text[3], "origin:");
  if (origin != std::string::npos &&
      std::sscanf(text[3].c_str() + origin + 7, " %4d/%2d/%2d", &year, &month, &day) == 3)
    ch.event_date = iso_date(year, month, day);
  std::size_t filtered = find_nocase(text[11], "filtered");
  if (auto band = filtered == std::string::npos ? std::nullopt : band_corners(text[11].substr(filtered))) {
    ch.filter_low_hz = band->first;
    ch.filter_high_hz = band->second;
  }
}

// Data lines that read-KVB can take as they are: eight 10-column fields, each
// with its decimal point and no exponent.
bool copyable(const std::vector<std::string>& lines, FieldLayout layout) {
  if (layout.per_line != 8 || layout.width != 10) return false;
  for (const std::string& line : lines) {
    for (std::size_t field = 0; field < 8; ++field) {
      bool point = false, blank = true;
      for (char c : columns(line, field * 10 + 1, 10)) {
        const char lower = static_cast<char>(c | 0x20);
        if (lower == 'e' || lower == 'd') return false;
        point = point || c == '.';
        blank = blank && c == ' ';
      }
      if (!point && !blank) return false;
    }
  }
  return true;
}

// The text header: the first line, which announces how many text lines there
// are, and the rest of them; refuses a channel that is not acceleration.
std::vector<std::string> read_text_header(Lines& in, const std::string& first, long channel_line) {
  TextFile& file = in.file();
  std::vector<std::string> text{first};
  std::size_t with = find_nocase(first, " with ");
  std::optional<long> text_lines =
      with == std::string_view::npos ? std::nullopt : leading_integer(std::string_view(first).substr(with + 6));
  if (!text_lines || *text_lines < 1 || *text_lines > kMostTextLines) {
    file.fail("the first line announces no count of text lines: " + shown(first));
  }
  for (long k = 1; k < *text_lines; ++k) text.push_back(in.expect("the text header"));
  std::string kind(trim(columns(first, 1, 25)));
  for (const char* other : {"raw", "velocity", "displacement", "response", "fourier"}) {
    if (starts_with_nocase(kind, other) && !starts_with_nocase(kind, kRawCounts))
      file.fail_at(channel_line, "the channel holds " + quoted(kind) + ", not acceleration");
  }
  return text;
}

// The integer header and the real header: an announcement, then its values.
struct NumberHeader {
  const char* what;      // "integer header"
  const char* keyword;   // what the announcement says: "integer-header values"
  const char* expected;  // the announcement as a message shows it
  bool integers;
};
constexpr NumberHeader kIntegerHeader{"integer header", "integer-header values",
                                      "100 Integer-header values follow on 10 lines, Format= (10I8)", true};
constexpr NumberHeader kRealHeader{"real header", "real-header values",
                                   "100 Real-header values follow on 20 lines, Format= (5F15.6)", false};

std::vector<double> read_number_header(Lines& in, const NumberHeader& block, std::vector<std::string>& header) {
  std::string line = in.expect(std::string("the ") + block.what);
  std::optional<Announcement> a = parse_announcement(line, block.keyword);
  if (!a) in.file().fail(std::string("expected '") + block.expected + "', found " + shown(line));
  header.push_back(line);
  return read_header_values(in, *a, block.what, header, block.integers);
}

// The comment count and the comments.
std::vector<std::string> read_comments(Lines& in, std::vector<std::string>& header) {
  std::string line = in.expect("the comment count");
  std::optional<long> comment_count = leading_integer(line);
  if (!comment_count || find_nocase(line, "comment line") == std::string_view::npos) {
    in.file().fail("expected 'N Comment line(s) follow', found " + shown(line));
  }
  header.push_back(line);
  std::vector<std::string> comments;
  for (long k = 0; k < *comment_count; ++k) {
    comments.push_back(in.expect("comment line " + std::to_string(k + 1)));
    header.push_back(comments.back());
  }
  return comments;
}

// The acceleration data line: count, units and the field format of the data.
DataLine acceleration_data_line(const TextFile& file, const std::string& line) {
  std::optional<DataLine> d = parse_data_line(line);
  if (!d || (d->kind != "acceleration" && d->kind != "raw accel.")) {
    file.fail("expected 'N acceleration pts, approx S secs, units=U(CC),Format=(F)', found " + shown(line));
  }
  if (!d->layout) file.fail("the data line states no field format ('Format=(8F10.5)')");
  if (d->points < 1) file.fail("the data line announces no acceleration values");
  return *d;
}

// A Volume 0 channel's counts to cm/s²: the recorder's least significant bit
// (real 22, µV a count) over the sensor's sensitivity (real 42, V/g) and the
// gain (real 47, 1 where unset), in g. The integer header must call the
// channel acceleration (integer 2 is 1).
void set_count_factor(Channel& ch, const std::vector<double>& ints, const std::vector<double>& reals,
                      const TextFile& file) {
  std::optional<double> type = slot(ints, 2), lsb = slot(reals, 22), sensitivity = slot(reals, 42),
                        gain = slot(reals, 47);
  if (type && *type != 1)
    file.fail_at(ch.line, "counts of another quantity than acceleration (integer header value 2 is " +
                              std::to_string(static_cast<long>(*type)) + ")");
  if (!lsb || !sensitivity || !(*lsb > 0) || !(*sensitivity > 0) || (gain && !(*gain > 0))) {
    file.fail_at(ch.line,
                 "counts without a sensitivity: real header values 22 (µV a count) and 42 (V/g) must be "
                 "set and positive, and 47 (gain) where set");
  }
  ch.unit = "counts";
  ch.to_cm_s2 = *lsb * 1e-6 / *sensitivity / gain.value_or(1.0) * kStandardGravity;
  if (!std::isfinite(ch.to_cm_s2) || ch.to_cm_s2 <= 0) file.fail_at(ch.line, "counts scale to no finite acceleration");
}

// Units: the data line's code, next to the data, unless the integer header
// names the other acceleration unit. Returns the code, 2 (g), 4 (cm/s²) or 50
// (counts, Volume 0).
long set_unit(Channel& ch, const DataLine& d, const std::vector<double>& ints, const std::vector<double>& reals,
              const TextFile& file) {
  std::optional<double> header_code = slot(ints, 3);
  auto acceleration_code = [](long code) { return code == 2 || code == 4; };
  if (header_code && d.unit_code && acceleration_code(static_cast<long>(*header_code)) &&
      acceleration_code(*d.unit_code) && static_cast<long>(*header_code) != *d.unit_code) {
    file.fail("units code " + std::to_string(*d.unit_code) + " disagrees with integer header value 3 (" +
              std::to_string(static_cast<long>(*header_code)) + ")");
  }
  long unit = d.unit_code ? *d.unit_code : header_code ? static_cast<long>(*header_code) : -1;
  if (unit == kCountsCode) {
    set_count_factor(ch, ints, reals, file);
  } else if (unit == 2) {
    ch.to_cm_s2 = kStandardGravity;
    ch.unit = d.unit.empty() ? "g" : d.unit;
  } else if (unit == 4) {
    ch.unit = d.unit.empty() ? "cm/sec2" : d.unit;
  } else {
    file.fail("units code " + std::to_string(unit) + " is neither g (2), cm/s² (4) nor counts (50)");
  }
  return unit;
}

// What the headers say of the channel: interval, orientation, station, start,
// the record, the channel's number and the stated peak.
void set_facts(Channel& ch, const std::vector<std::string>& text, const std::vector<std::string>& comments,
               const std::vector<double>& ints, const std::vector<double>& reals, TextFile& file) {
  std::optional<double> interval = slot(reals, 62);
  if (!interval) file.fail_at(ch.line, "no sample interval: real header value 62 (ms) is unset");
  ch.interval = checked_interval(file, ch.line, *interval / 1000.0);

  TextFacts facts = read_text_facts(text);
  std::string channel_code = scnl_channel(comments);
  set_orientation(ch, slot(ints, 54), facts, channel_code, file);
  ch.station_code = facts.station_code;
  ch.station_name = facts.station_name;
  set_place(ch, facts.place);
  ch.location = facts.location;
  set_start(ch, ints, reals);
  describe_record(ch, text);
  std::optional<double> station_channel = slot(ints, 50);
  if (!facts.channel.empty() && facts.channel.find_first_not_of("0123456789") == std::string::npos) {
    ch.number = facts.channel;
  } else if (!channel_code.empty()) {
    ch.number = channel_code;
  } else if (station_channel) {
    ch.number = std::to_string(static_cast<long>(*station_channel));
  }
  if (std::optional<double> peak = slot(reals, 64)) ch.stated_peak = *peak * ch.to_cm_s2;
}

Channel read_channel(Lines& in, const std::string& first) {
  TextFile& file = in.file();
  Channel ch;
  ch.source = file.path();
  ch.line = file.line_number();
  ch.format = "cosmos";
  std::vector<std::string> header = read_text_header(in, first, ch.line);
  const std::vector<std::string> text = header;
  std::vector<double> ints = read_number_header(in, kIntegerHeader, header);
  std::vector<double> reals = read_number_header(in, kRealHeader, header);
  std::vector<std::string> comments = read_comments(in, header);
  const std::string line = in.expect("the acceleration data line");
  const DataLine d = acceleration_data_line(file, line);
  header.push_back(line);
  const long data_line = file.line_number();
  const long unit = set_unit(ch, d, ints, reals, file);
  set_facts(ch, text, comments, ints, reals, file);

  if (header.size() > kKeptHeaderLines) header.resize(kKeptHeaderLines);
  ch.header_lines = std::move(header);
  std::vector<std::string> raw;
  if (unit == kCountsCode) {
    // Counts carry the recorder's offset: the acceleration is the scaled
    // count less the record's mean. The stated peak is a count with it.
    std::vector<double> counts;
    std::vector<long> lines;
    read_values(in, d, data_line, nullptr, nullptr, &counts, &lines);
    double mean = 0;
    for (double c : counts) mean += c / static_cast<double>(counts.size());
    ch.samples.reserve(counts.size());
    for (std::size_t k = 0; k < counts.size(); ++k) add_sample_at(ch, counts[k] - mean, file, lines[k]);
    ch.stated_peak.reset();
    skip_to_next_channel(in, d, data_line);
    return ch;
  }
  read_values(in, d, data_line, &ch, &raw);
  if (unit == 4 && copyable(raw, *d.layout)) {
    for (std::string& r : raw) r.resize(std::min<std::size_t>(r.size(), 80));
    ch.data_lines = std::move(raw);
    ch.data_descriptor = line;  // the data line, which states count, units and format
  }
  skip_to_next_channel(in, d, data_line);
  return ch;
}

bool recognise(const std::vector<std::string>& head) { return !head.empty() && is_first_line(head[0]); }

void read(TextFile& file, std::vector<Channel>& channels) {
  Lines in(file);
  std::string line;
  std::size_t before = channels.size();
  while (in.next(line)) {
    if (is_blank(line)) continue;
    if (!is_first_line(line)) {
      file.fail("expected a channel's first line ('... (Format v01.20 with 13 text lines)'), found " + shown(line));
    }
    channels.push_back(read_channel(in, line));
  }
  if (channels.size() == before) file.fail("no channel in the file");
}

}  // namespace

const AgencyFormat kCosmosFormat = {"cosmos", "COSMOS Volume 0, 1 and 2 (.V0c, .V1c, .V2c)", recognise, read};

}  // namespace kvb
