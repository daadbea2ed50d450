#include "readers/peer.h"

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

constexpr double kMostPoints = 1e8;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The number after key, an "=" and blanks: "NPTS=   7999," -> 7999.
std::optional<double> number_after(std::string_view line, std::string_view key) {
  std::size_t at = find_nocase(line, key);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = trim(line.substr(at + key.size()));
  if (!rest.empty() && rest[0] == '=') rest = trim(rest.substr(1));
  return parse_number(rest.substr(0, rest.find_first_of(" ,")));
}

struct Count {
  long points = 0;
  double interval = 0;
};

// "NPTS=   7999, DT=   .0050 SEC,", "NPTS=  15306, DT=    0.05 SEC", and the
// older "  7999   .0050    NPTS, DT" with the numbers first.
std::optional<Count> parse_count_line(std::string_view line) {
  std::optional<double> points = number_after(line, "npts"), interval = number_after(line, "dt");
  std::size_t words = find_nocase(line, "npts");
  if ((!points || !interval) && words != std::string_view::npos) {
    std::string_view numbers = trim(line.substr(0, words));
    std::size_t gap = numbers.find(' ');
    if (gap == std::string_view::npos) return std::nullopt;
    points = parse_number(numbers.substr(0, gap));
    interval = parse_number(trim(numbers.substr(gap)));
  }
  if (!points || !interval || *points < 1 || *points > kMostPoints || *points != std::floor(*points) ||
      !(*interval > 0)) {
    return std::nullopt;
  }
  return Count{static_cast<long>(*points), *interval};
}

// Line 1 "PEER NGA STRONG MOTION DATABASE RECORD", "PEER STRONG MOTION DATABASE
// RECORD. ...", or in the older layout "PACIFIC ENGINEERING AND ANALYSIS
// STRONG-MOTION DATA"; line 4 the count line.
bool recognise(const std::vector<std::string>& head) {
  return head.size() >= 4 &&
         (starts_with_nocase(head[0], "PEER") || starts_with_nocase(head[0], "PACIFIC ENGINEERING")) &&
         find_nocase(head[3], "npts") != std::string_view::npos && find_nocase(head[3], "dt") != std::string_view::npos;
}

// A component word, or a channel code with its location ("BHZ00").
std::optional<Orientation> component_orientation(std::string_view word) {
  if (auto o = classify_orientation(word)) return o;
  if (word.size() == 5 && is_digit(word[3]) && is_digit(word[4])) { return classify_orientation(word.substr(0, 3)); }
  return std::nullopt;
}

// "9/20/1999", "01/17/94" (month first) as "1999-09-20"; empty for anything else.
std::string us_date(std::string_view word) {
  int month = 0, day = 0, year = 0;
  char tail = 0;
  if (word.size() > 10 || std::sscanf(std::string(word).c_str(), "%2d/%2d/%4d%c", &month, &day, &year, &tail) != 3 ||
      month < 1 || month > 12 || day < 1 || day > 31) {
    return {};
  }
  return iso_date(full_year(year), month, day);
}

// Line 2: "Loma Prieta, 10/18/1989, Gilroy - Gavilan Coll., 67", and in the
// older files "NORTHRIDGE 01/17/94 1231, ARLETA, 360" (event, date and time in
// one item) or "CHI-CHI 09/20/99, CHY023, N (CWB)".
struct Title {
  std::string event, date, station, component;
};

Title parse_title(std::string_view line) {
  std::vector<std::string_view> items;
  for (std::size_t from = 0;;) {
    std::size_t comma = line.find(',', from);
    items.push_back(trim(line.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from)));
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  Title t;
  std::string_view component = items.back();
  t.component = trim(component.substr(0, component.find('(')));
  if (items.size() < 2) return t;
  t.station = items[items.size() - 2];
  for (std::size_t k = 0; k + 2 < items.size() && t.date.empty(); ++k) {
    std::string_view item = items[k];
    for (std::size_t from = 0; from < item.size() && t.date.empty();) {
      std::size_t end = std::min(item.find(' ', from), item.size());
      if ((t.date = us_date(item.substr(from, end - from))).size() && from > 0) t.event = trim(item.substr(0, from));
      from = end + 1;
    }
  }
  if (t.event.empty() && items.size() > 2 && us_date(items[0]).empty()) t.event = items[0];
  return t;
}

// The component at the end of the file's name, after the station code:
// "RSN1180_CHICHI_CHY002-N" (N), "RSN6893_DARFIELD_DFHSS17E" (S17E), "RSN763_LOMAP_GIL067"
// (067), "IELC180" (180), "..._GIL-UP" (UP), "..._IU.CCM.BH1.00" (BH1).
std::string name_component(std::string_view path, std::string_view station) {
  std::string_view name = path.substr(path.find_last_of('/') + 1);
  name = name.substr(0, name.rfind('.'));
  std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    std::string_view last = name.substr(dot + 1);
    if (last == "--" || (last.size() == 2 && is_digit(last[0]))) {
      name = name.substr(0, dot);
      dot = name.rfind('.');
    }
    return std::string(name.substr(dot + 1));
  }
  std::string_view part = name.substr(name.find_last_of('_') + 1);
  if (!station.empty() && station.find(' ') == std::string_view::npos && starts_with_nocase(part, station)) {
    part.remove_prefix(station.size());
    if (!part.empty() && part[0] == '-') part.remove_prefix(1);
    return std::string(part);
  }
  if (part.find('-') != std::string_view::npos) return std::string(part.substr(part.rfind('-') + 1));
  // Without a station code to go by: the longest end that is an azimuth (not
  // the end of a longer number), a bearing, or a direction.
  for (std::size_t length = std::min<std::size_t>(4, part.size()); length > 0; --length) {
    std::string_view end = part.substr(part.size() - length);
    const bool number = is_digit(end[0]);
    if (number && length < part.size() && is_digit(part[part.size() - length - 1])) continue;
    const std::string word = lowered(end);
    const bool bearing = (word[0] == 'n' || word[0] == 's') && length > 2 && is_digit(word[1]);
    bool known = number || bearing;
    for (const char* w : {"up", "dwn", "down", "n", "s", "e", "w"}) known = known || word == w;
    if (known && classify_orientation(end)) return std::string(end);
  }
  return {};
}

// The units on line 3: "ACCELERATION TIME SERIES IN UNITS OF G".
void set_units(Channel& ch, std::string_view line, const TextFile& file) {
  std::size_t at = find_nocase(line, "units of ");
  if (!starts_with_nocase(trim(line), "acceleration") || at == std::string_view::npos) {
    file.fail_at(3, "expected 'ACCELERATION TIME SERIES IN UNITS OF G', found " + shown(line));
  }
  std::string_view word = trim(line.substr(at + 9));
  word = word.substr(0, word.find_first_of(" ,"));
  while (!word.empty() && word.back() == '.') word.remove_suffix(1);
  ch.unit = std::string(word);
  const std::string w = upper(word);
  if (w == "G") {
    ch.to_cm_s2 = kStandardGravity;
    return;
  }
  for (const char* per_second : {"/SEC/SEC", "/S/S", "/SEC2", "/S2", "/SEC^2", "/S^2", "/SEC**2", "/S**2"}) {
    if (w == "CM" + std::string(per_second)) return;
    if (w == "M" + std::string(per_second)) {
      ch.to_cm_s2 = 100;
      return;
    }
  }
  if (w == "GAL") return;
  file.fail_at(3, "units " + quoted(word) + " are not g, cm/s² or m/s²");
}

void read(TextFile& file, std::vector<Channel>& channels) {
  Channel ch;
  ch.source = file.path();
  ch.line = 1;
  ch.format = "peer";
  std::string line;
  for (int k = 1; k <= 4; ++k) {
    if (!file.next(line)) file.fail("the file ends inside its four header lines");
    ch.header_lines.push_back(line);
  }
  set_units(ch, ch.header_lines[2], file);
  std::optional<Count> count = parse_count_line(ch.header_lines[3]);
  if (!count) file.fail_at(4, "expected 'NPTS= N, DT= S SEC', found " + shown(ch.header_lines[3]));
  ch.interval = checked_interval(file, 4, count->interval);

  const Title t = parse_title(ch.header_lines[1]);
  ch.station_name = t.station;
  ch.event = t.event;
  ch.event_date = t.date;
  ch.processing = "corrected";
  std::string_view name = std::string_view(file.path()).substr(file.path().find_last_of('/') + 1);
  std::size_t digits = name.find_first_not_of("0123456789", 3);
  if (starts_with_nocase(name, "RSN") && digits > 3 && (digits == name.size() || name[digits] == '_'))
    ch.record_id = name.substr(0, digits);
  // "FILTER POINTS: HP=0.2 Hz LP=15.0 Hz" on line 3.
  std::size_t filter = find_nocase(ch.header_lines[2], "filter");
  if (auto band = filter == std::string::npos ? std::nullopt : band_corners(ch.header_lines[2].substr(filter))) {
    ch.filter_low_hz = band->first;
    ch.filter_high_hz = band->second;
  }

  // The component: line 2's last item, else the end of the file's name.
  std::string_view component = t.component;
  component = component.substr(0, component.find(' '));
  std::optional<Orientation> orientation = component_orientation(component);
  std::string from_name = name_component(file.path(), t.station);
  if (orientation) {
    ch.orientation_text = std::string(component);
  } else if ((orientation = component_orientation(from_name))) {
    ch.orientation_text = from_name;
  } else {
    file.fail_at(2, "cannot tell the component's orientation from " + quoted(component) + " nor from the file's name");
  }
  ch.orientation = *orientation;
  // "BH100": channel BH1 at location 00.
  if (ch.orientation_text.size() == 5 && is_digit(ch.orientation_text[4])) {
    ch.location = ch.orientation_text.substr(3);
    ch.orientation_text.resize(3);
  }
  ch.number = ch.orientation_text;

  long first_extra = 0;
  std::vector<double> values;
  while (file.next(line)) {
    std::string why;
    values.clear();
    if (read_fields(line, 15, 5, values, why) < 0) file.fail(why);
    for (double v : values) add_sample(ch, v, file);
    if (first_extra == 0 && static_cast<long>(ch.samples.size()) > count->points) first_extra = file.line_number();
  }
  const long read_count = static_cast<long>(ch.samples.size());
  const std::string announced = "NPTS= " + std::to_string(count->points) + " on line 4";
  if (read_count > count->points) {
    file.fail_at(first_extra, "more values than " + announced + " (" + std::to_string(read_count) + " in the file)");
  }
  if (read_count < count->points) {
    file.fail("the file ends after " + std::to_string(read_count) + " of the values " + announced + " announces");
  }
  channels.push_back(std::move(ch));
}

}  // namespace

const AgencyFormat kPeerFormat = {"peer", "PEER NGA .AT2", recognise, read};

}  // namespace kvb
