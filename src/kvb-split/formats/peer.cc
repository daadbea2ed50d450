#include "formats/peer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/field_format.h"
#include "formats/numbers.h"
#include "formats/samples.h"
#include "formats/text_fields.h"

namespace {

// A line of the input as a message quotes it: cut at 60 columns, trimmed.
std::string shown(std::string_view line) { return quoted(trim(line.substr(0, 60))); }

constexpr double kG = 980.665;
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

bool recognise(const std::vector<std::string>& head) {
  return head.size() >= 4 && starts_with_nocase(head[0], "PEER") &&
         find_nocase(head[3], "npts") != std::string_view::npos && find_nocase(head[3], "dt") != std::string_view::npos;
}

// A component as line 2 or the file's name gives it: an azimuth ("67",
// "180"), a vertical ("UP", "DWN"), or a channel code with or without its
// location ("BH1", "BHZ00").
std::optional<Orientation> component_orientation(std::string_view word) {
  if (!word.empty() && word.size() <= 3 && word.find_first_not_of("0123456789") == std::string_view::npos) {
    int degrees = std::stoi(std::string(word));
    if (degrees <= 360) return Orientation{Axis::kHorizontal, degrees};
    return std::nullopt;
  }
  const std::string w = upper(word);
  for (const char* vertical : {"UP", "DWN", "DOWN", "DN", "V", "VER", "VERT", "UD", "Z"}) {
    if (w == vertical) return Orientation{Axis::kVertical, -1};
  }
  if (w == "H1" || w == "H2") return Orientation{Axis::kHorizontal, -1};
  if (w.size() == 5 && std::isdigit(static_cast<unsigned char>(w[3])) &&
      std::isdigit(static_cast<unsigned char>(w[4]))) {
    return channel_code_orientation(std::string_view(w).substr(0, 3));
  }
  return channel_code_orientation(w);
}

// The component at the end of the file's name: "RSN763_LOMAP_GIL067.AT2" (67),
// "IELC180.AT2" (180), "..._IU.CCM.BH1.00.AT2" (BH1), "..._GIL-UP.AT2" (UP).
std::string name_component(std::string_view path) {
  std::string_view name = path.substr(path.find_last_of('/') + 1);
  name = name.substr(0, name.rfind('.'));
  std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    std::string_view last = name.substr(dot + 1);
    if (last == "--" || (last.size() == 2 && std::isdigit(static_cast<unsigned char>(last[0])))) {
      name = name.substr(0, dot);
      dot = name.rfind('.');
    }
    return std::string(name.substr(dot + 1));
  }
  std::string_view part = name.substr(name.find_last_of("_-") + 1);
  if (component_orientation(part)) return std::string(part);
  std::size_t digits = part.find_last_not_of("0123456789") + 1;
  if (digits == 0 || part.size() - digits > 3 || digits == part.size() ||
      !std::isalpha(static_cast<unsigned char>(part[digits - 1]))) {
    return {};
  }
  return std::string(part.substr(digits));
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
    ch.to_cm_s2 = kG;
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
  const std::string& title = ch.header_lines[1];
  set_units(ch, ch.header_lines[2], file);
  std::optional<Count> count = parse_count_line(ch.header_lines[3]);
  if (!count) file.fail_at(4, "expected 'NPTS= N, DT= S SEC', found " + shown(ch.header_lines[3]));
  ch.interval = count->interval;

  // Line 2: event, date, station, component, separated by commas.
  std::size_t comma = title.rfind(',');
  std::string_view component = trim(std::string_view(title).substr(comma == std::string::npos ? 0 : comma + 1));
  component = component.substr(0, component.find_first_of(" ("));
  if (comma != std::string::npos) {
    std::string_view before = std::string_view(title).substr(0, comma);
    ch.station_name =
        std::string(trim(before.substr(before.rfind(',') == std::string_view::npos ? 0 : before.rfind(',') + 1)));
  }
  std::optional<Orientation> orientation = component_orientation(component);
  std::string from_name = name_component(file.path());
  if (orientation) {
    ch.orientation_text = std::string(component);
  } else if ((orientation = component_orientation(from_name))) {
    ch.orientation_text = from_name;
  } else {
    file.fail_at(2, "cannot tell the component's orientation from " + quoted(component) + " nor from the file's name");
  }
  ch.orientation = *orientation;
  // "BH100": channel BH1 at location 00.
  if (ch.orientation_text.size() == 5 && std::isdigit(static_cast<unsigned char>(ch.orientation_text[4]))) {
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

const Format kPeerFormat = {"peer", "PEER NGA .AT2", recognise, read};
