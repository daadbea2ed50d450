#include "readers/usc.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "readers/identity.h"
#include "readers/numbers.h"
#include "readers/pairs.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/standard_gravity.h"

namespace kvb {

namespace {

// A channel's text header, each line 72 columns of text and its length:
// title, event, origin date, film, station, site, component, event again,
// epicentre, instrument, count and duration, units, RMS.
constexpr std::size_t kTextLines = 13, kIntegerLines = 7, kRealLines = 7, kTextColumns = 72;
enum { kTitle = 0, kEvent = 1, kOrigin = 2, kStation = 4, kSite = 5, kComponent = 6, kPoints = 10, kUnits = 11 };
// The magnitude's place among the reals (8 a line, 10 columns each).
constexpr std::size_t kRealWidth = 10, kRealsPerLine = 8, kMagnitude = 11;
// Pairs: five a line, the first time in 8 columns, every other field in 7.
constexpr std::size_t kFirstWidth = 8, kPairWidth = 7, kPairsPerLine = 5;
// A corrected channel's text between its Volume 1 header and its data, at most.
constexpr std::size_t kMostCorrectedLines = 60;
constexpr std::string_view kUncorrectedTitle = "OF UNCORRECTED ACCELEROGRAM DATA";
constexpr std::string_view kCorrectedFirst = "CORRECTED ACCELEROGRAM";

bool starts_channel(std::string_view line) {
  return find_nocase(line, kUncorrectedTitle) != std::string_view::npos || starts_with_nocase(line, kCorrectedFirst);
}

bool recognise(const std::vector<std::string>& head) {
  const std::size_t at = !head.empty() && starts_with_nocase(head[0], kCorrectedFirst) ? 1 : 0;
  return head.size() > at + kUnits && find_nocase(head[at + kTitle], kUncorrectedTitle) != std::string_view::npos &&
         starts_with_nocase(head[at + kStation], "STATION USC#") &&
         starts_with_nocase(head[at + kComponent], "COMP ") && starts_with_nocase(head[at + kPoints], "NO. OF POINTS");
}

// "JAN 17, 1994 -1230 GMT": the date; empty when it is not one.
std::string origin_date(std::string_view text) {
  static constexpr std::string_view kMonths = "janfebmaraprmayjunjulaugsepoctnovdec";
  const std::string line = lowered(trim(text));
  const std::size_t month = line.size() >= 3 ? kMonths.find(line.substr(0, 3)) : std::string_view::npos;
  int day = 0, year = 0;
  if (month == std::string_view::npos || month % 3 != 0 || std::sscanf(line.c_str() + 3, "%3d, %5d", &day, &year) != 2)
    return {};
  return iso_date(full_year(year), static_cast<int>(month / 3) + 1, day);
}

// What the text header says: station, place, component, event.
void describe(TextFile& file, Channel& ch, std::size_t at) {
  auto text = [&](std::size_t k) { return trim(columns(ch.header_lines[at + k], 1, kTextColumns)); };
  // "STATION USC# 0057   34 25 09N, 118 25 34W"
  std::string_view station = trim(text(kStation).substr(12));
  ch.station_code = station.substr(0, station.find(' '));
  set_place(ch, coordinates_in(station.substr(ch.station_code.size())));
  ch.station_name = text(kSite);
  // "COMP N08W"
  std::string_view component = trim(columns(text(kComponent), 6, kTextColumns));
  ch.orientation_text = component.substr(0, component.find(' '));
  std::optional<Orientation> o = classify_orientation(ch.orientation_text);
  if (!o)
    file.fail_at(ch.line + static_cast<long>(at + kComponent), "cannot tell the orientation of " + quoted(component));
  ch.orientation = *o;
  ch.event = text(kEvent);
  ch.event_date = origin_date(text(kOrigin));
}

// The count after label on a header line: "NO. OF POINTS =   7340".
std::size_t stated_count(TextFile& file, long line, std::string_view text, std::string_view label) {
  return checked_count(file, line, number_after_key({std::string(text)}, label).value_or(NAN), label);
}

// count time/value pairs after the headers, in g/10.
void read_pairs(TextFile& file, Channel& ch, std::size_t count) {
  TimedSamples timed(ch, file);
  const long first_line = file.line_number() + 1;
  std::vector<double> values;
  std::string line, why;
  for (std::size_t pairs = 0; pairs < count;) {
    if (!file.next(line)) {
      file.fail("the header counts " + std::to_string(count) + " pairs, the data end after " + std::to_string(pairs));
    }
    values.clear();
    const std::string_view first = columns(line, 1, kFirstWidth);
    if (!is_blank(first)) {
      std::optional<double> t = parse_number(first);
      if (!t) file.fail("not a time: " + quoted(trim(first)));
      values.push_back(*t);
    }
    if (read_fields(line.size() > kFirstWidth ? std::string_view(line).substr(kFirstWidth) : std::string_view(),
                    kPairWidth, 2 * kPairsPerLine - 1, values, why) < 0 ||
        (values.size() > 1 && is_blank(first)))
      file.fail(why.empty() ? "a blank time before values" : why);
    if (values.size() % 2 != 0) file.fail("a time without its value");
    pairs += values.size() / 2;
    if (pairs > count) file.fail("more pairs than NO. OF POINTS " + std::to_string(count));
    for (std::size_t k = 0; k < values.size(); k += 2) {
      const std::size_t column = k == 0 ? 1 : kFirstWidth + 1 + (k - 1) * kPairWidth;
      timed.add(values[k], printed_unit(columns(line, column, k == 0 ? kFirstWidth : kPairWidth)), values[k + 1],
                file.line_number());
    }
  }
  timed.finish(first_line);
}

// "  1887 POINTS OF ACC DATA EQUALLY SPACED AT   .020 SEC.  IN UNITS CM/SEC/SEC":
// the count of a block of evenly spaced values, eight 10-column fields a line.
bool is_block_line(std::string_view line) { return find_nocase(line, " POINTS OF ") != std::string_view::npos; }

// The corrected acceleration: its text up to the block, then the block.
void read_corrected(TextFile& file, Channel& ch) {
  std::string line;
  for (std::size_t k = 0;; ++k) {
    if (k == kMostCorrectedLines || !file.next(line))
      file.fail("no line '... POINTS OF ACC DATA EQUALLY SPACED AT ...' after the header");
    if (is_block_line(line)) break;
    ch.header_lines.push_back(line);
  }
  const long at = file.line_number();
  if (find_nocase(line, "POINTS OF ACC DATA") == std::string::npos)
    file.fail("expected the acceleration block, found " + shown(line));
  const std::size_t count = checked_count(
      file, at, parse_number(trim(line).substr(0, trim(line).find(' '))).value_or(NAN), "count of ACC DATA");
  ch.interval = checked_interval(file, at, number_after_key({line}, "SPACED AT").value_or(NAN));
  const std::size_t units = find_nocase(line, "IN UNITS");
  const std::string unit = units == std::string::npos ? "" : lowered(trim(std::string_view(line).substr(units + 8)));
  if (unit != "cm/sec/sec" && unit != "cm/sec2" && unit != "cms/sec/sec")
    file.fail("the acceleration is not in CM/SEC/SEC: " + shown(line));
  ch.unit = "cm/sec/sec";
  ch.to_cm_s2 = 1.0;
  if (!read_block(file, kRealWidth, kRealsPerLine, count, [&](double v) { add_sample(ch, v, file); }))
    file.fail_at(at, "the header counts " + std::to_string(count) + " samples, the data end after " +
                         std::to_string(ch.samples.size()));

  // "PEAK ACCELERATION =  -242.39450  CMS/SEC/SEC AT    4.580   SEC."
  if (auto peak = number_after_key(ch.header_lines, "PEAK ACCELERATION")) ch.stated_peak = std::fabs(*peak);
  for (std::string_view text : ch.header_lines) {
    const std::size_t between = find_nocase(text, "FILTERED BETWEEN");
    if (between == std::string_view::npos) continue;
    if (auto band = band_corners(text.substr(between + 16))) {
      ch.filter_low_hz = band->first;
      ch.filter_high_hz = band->second;
    }
  }
  ch.magnitude = plausible_magnitude(number_after_key(ch.header_lines, "MAGNITUDE ="));
  ch.processing = "corrected";
}

// One channel, whose first line is first.
Channel read_channel(TextFile& file, const std::string& first, int number) {
  Channel ch = channel_from(file, "usc", number, first);
  const std::size_t at = starts_with_nocase(first, kCorrectedFirst) ? 1 : 0;
  read_lines(file, at + kTextLines, ch.header_lines, "the channel's header");
  auto line_of = [&](std::size_t k) { return ch.line + static_cast<long>(at + k); };
  if (find_nocase(ch.header_lines[at + kTitle], kUncorrectedTitle) == std::string::npos)
    file.fail_at(line_of(kTitle),
                 "expected '... OF UNCORRECTED ACCELEROGRAM DATA ...', found " + shown(ch.header_lines[at + kTitle]));
  if (!starts_with_nocase(ch.header_lines[at + kStation], "STATION USC#"))
    file.fail_at(line_of(kStation), "expected 'STATION USC# ...', found " + shown(ch.header_lines[at + kStation]));
  if (!starts_with_nocase(ch.header_lines[at + kComponent], "COMP "))
    file.fail_at(line_of(kComponent), "expected 'COMP ...', found " + shown(ch.header_lines[at + kComponent]));
  describe(file, ch, at);
  if (at == 1) {
    read_corrected(file, ch);
    return ch;
  }

  const std::string& units = ch.header_lines[kUnits];
  if (find_nocase(units, "G/10") == std::string::npos)
    file.fail_at(line_of(kUnits), "expected 'UNITS ARE SEC AND G/10', found " + shown(units));
  ch.unit = "g/10";
  ch.to_cm_s2 = kStandardGravity / 10;
  const std::size_t count = stated_count(file, line_of(kPoints), ch.header_lines[kPoints], "NO. OF POINTS");
  read_lines(file, kTextLines + kIntegerLines + kRealLines, ch.header_lines, "the channel's header");
  // The magnitude, where the reals' first two lines are numbers.
  std::vector<double> reals;
  std::string why;
  bool numbers = true;
  for (std::size_t k = 0; k * kRealsPerLine <= kMagnitude; ++k)
    numbers = numbers && read_fields(ch.header_lines[kTextLines + kIntegerLines + k], kRealWidth, kRealsPerLine, reals,
                                     why) == static_cast<int>(kRealsPerLine);
  if (numbers) ch.magnitude = plausible_magnitude(reals[kMagnitude]);
  ch.processing = "uncorrected";
  read_pairs(file, ch, count);
  return ch;
}

void read(TextFile& file, std::vector<Channel>& channels) {
  std::string line;
  const std::size_t before = channels.size();
  while (file.next(line)) {
    if (is_blank(line)) continue;
    if (starts_channel(line)) {
      channels.push_back(read_channel(file, line, static_cast<int>(channels.size() - before + 1)));
    } else if (is_block_line(line) && channels.size() > before && channels.back().processing == "corrected") {
      // A corrected channel's velocity and displacement: only the velocity
      // at the first sample is taken (the header's INITIAL VELOCITY is not:
      // its sign is the other way round in the files).
      const bool velocity = find_nocase(line, " OF VEL DATA") != std::string::npos;
      Channel& ch = channels.back();
      const std::size_t count =
          checked_count(file, file.line_number(),
                        parse_number(trim(line).substr(0, trim(line).find(' '))).value_or(NAN), "count of the block");
      if (!read_block(file, kRealWidth, kRealsPerLine, count, [&](double v) {
            if (velocity && !ch.initial_velocity_cm_s) ch.initial_velocity_cm_s = v;
          }))
        file.fail("the file ends inside the block of " + std::to_string(count) + " values");
    } else {
      file.fail("expected a channel's first line ('... UNCORRECTED ACCELEROGRAM DATA ...'), found " + shown(line));
    }
  }
  if (channels.size() == before) file.fail("no channel in the file");
}

}  // namespace

const AgencyFormat kUscFormat = {"usc", "USC (Los Angeles network) Volume 1 pairs in g/10, or corrected in cm/s²",
                                 recognise, read};

}  // namespace kvb
