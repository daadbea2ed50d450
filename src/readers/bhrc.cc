#include "readers/bhrc.h"

#include <cmath>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "readers/keyed_text.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/standard_gravity.h"

namespace kvb {

namespace {

// A channel's header: text lines, then the integer and the real lines.
constexpr std::size_t kTextLines = 13, kIntegerLines = 7, kRealLines = 7;
enum { kTitle = 0, kOrigin = 2, kComponent = 6, kStation = 7, kEpicentre = 8, kPoints = 10, kUnits = 11 };
constexpr std::string_view kEnd = "/&";

bool recognise(const std::vector<std::string>& head) {
  return head.size() > kUnits && find_nocase(head[kTitle], "VOL1DS FILE") != std::string_view::npos &&
         starts_with_nocase(head[kComponent], "COMP ") && starts_with_nocase(head[kPoints], "NO. OF POINTS");
}

// The number after label on line: "NO. OF POINTS =   9984" -> 9984.
std::optional<double> after(std::string_view line, std::string_view label) {
  const std::size_t at = find_nocase(line, label);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = trim(line.substr(at + label.size()));
  if (!rest.empty() && rest[0] == '=') rest = trim(rest.substr(1));
  return parse_number(rest.substr(0, rest.find(' ')));
}

// "Azimuth L 324   T 54": the azimuth of the component's letter.
std::optional<int> component_azimuth(std::string_view station_line, char letter) {
  const std::size_t at = find_nocase(station_line, "Azimuth");
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = station_line.substr(at + 7);
  for (std::size_t k = 0; k + 1 < rest.size(); ++k) {
    if (lower(rest[k]) == lower(letter) && rest[k + 1] == ' ' && (k == 0 || rest[k - 1] == ' ')) {
      std::string_view number = trim(rest.substr(k + 1));
      std::optional<double> degrees = parse_number(number.substr(0, number.find(' ')));
      if (degrees && *degrees >= 0 && *degrees <= 360 && *degrees == std::floor(*degrees))
        return static_cast<int>(*degrees);
    }
  }
  return std::nullopt;
}

// One channel, whose first line is first.
Channel read_channel(TextFile& file, const std::string& first) {
  Channel ch;
  ch.source = file.path();
  ch.line = file.line_number();
  ch.format = "bhrc";
  ch.header_lines.push_back(first);
  read_lines(file, kTextLines + kIntegerLines + kRealLines, ch.header_lines, "the channel's header");
  const std::vector<std::string>& h = ch.header_lines;
  auto line_of = [&](int k) { return ch.line + k; };

  if (find_nocase(h[kUnits], "G/10") == std::string_view::npos)
    file.fail_at(line_of(kUnits), "expected 'UNITS ARE SECONDS AND G/10', found " + shown(h[kUnits]));
  ch.unit = "g/10";
  ch.to_cm_s2 = kStandardGravity / 10;
  std::optional<double> points = after(h[kPoints], "NO. OF POINTS"), duration = after(h[kPoints], "DURATION");
  const std::size_t count = checked_count(file, line_of(kPoints), points.value_or(NAN), "NO. OF POINTS");
  if (!duration) file.fail_at(line_of(kPoints), "no DURATION in " + shown(h[kPoints]));
  // The duration is the count times the interval.
  ch.interval = checked_interval(file, line_of(kPoints), *duration / static_cast<double>(count));

  // "COMP L1": the component's letter and the channel's number.
  std::string_view component = trim(columns(h[kComponent], 5, std::string_view::npos));
  component = component.substr(0, component.find(' '));
  if (component.empty()) file.fail_at(line_of(kComponent), "no component after 'COMP'");
  ch.number = std::string(component.substr(1));
  std::optional<int> azimuth = component_azimuth(h[kStation], component[0]);
  ch.orientation_text =
      azimuth ? std::string(1, component[0]) + " " + std::to_string(*azimuth) : std::string(component.substr(0, 1));
  std::optional<Orientation> o =
      azimuth ? classify_orientation(std::to_string(*azimuth)) : classify_orientation(component.substr(0, 1));
  if (!o) file.fail_at(line_of(kComponent), "cannot tell the orientation of " + quoted(component));
  ch.orientation = *o;

  const std::size_t station = find_nocase(h[kStation], " Station");
  ch.station_name = std::string(trim(h[kStation].substr(0, station)));
  if (station != std::string::npos) {
    // "Station   37.485 N 45.891 E   Altitude": each number and its letter.
    std::istringstream words(h[kStation].substr(station + 8));
    std::string lat, north, lon, east;
    if (words >> lat >> north >> lon >> east) set_place(ch, place_of(lat + " " + north, lon + " " + east));
  }
  std::string_view title = h[kTitle];
  if (const std::size_t name = find_nocase(title, "FILE:"); name != std::string_view::npos)
    ch.record_id = std::string(trim(title.substr(name + 5)));
  if (std::optional<KeyedLine> origin = keyed(h[kOrigin])) {
    if (auto t = clock_time(origin->value, "ymdhns")) ch.event_date = utc_date(*t);
  }
  const std::size_t mw = find_nocase(h[kEpicentre], "Mw");
  if (mw != std::string_view::npos) {
    std::string_view m = std::string_view(h[kEpicentre]).substr(mw + 2);
    ch.magnitude = plausible_magnitude(parse_number(m.substr(0, m.find(' '))));
  }
  ch.processing = "uncorrected";

  // The samples, up to the end line.
  std::string line, why;
  std::vector<double> values;
  for (;;) {
    if (!file.next(line)) file.fail("the file ends before the channel's end line '/&'");
    if (starts_with_nocase(trim(line), kEnd)) break;
    values.clear();
    if (!read_words(line, values, why)) file.fail(why);
    for (double v : values) add_sample(ch, v, file);
    if (ch.samples.size() > count) file.fail("more samples than NO. OF POINTS " + std::to_string(count));
  }
  check_stated_count(file, line_of(kPoints), count, ch.samples.size());
  return ch;
}

void read(TextFile& file, std::vector<Channel>& channels) {
  std::string line;
  const std::size_t before = channels.size();
  while (file.next(line)) {
    if (is_blank(line)) continue;
    if (find_nocase(line, "VOL1DS FILE") == std::string::npos)
      file.fail("expected a channel's first line ('* VOL1DS FILE: ...'), found " + shown(line));
    channels.push_back(read_channel(file, line));
  }
  if (channels.size() == before) file.fail("no channel in the file");
}

}  // namespace

const AgencyFormat kBhrcFormat = {"bhrc", "Iran BHRC Volume 1, channels one after another (g/10)", recognise, read};

}  // namespace kvb
