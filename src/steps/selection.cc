#include "steps/selection.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "component_layout.h"
#include "record/split_error.h"

namespace kvb {

namespace {

// Degrees from the north-south axis: 0 for 0, 180 and 360; 90 for 90 and 270.
int off_north_south(int azimuth) {
  int a = azimuth % 180;
  return a <= 90 ? a : 180 - a;
}

bool is_north(const Channel& ch) { return ch.orientation.azimuth == 0 || ch.orientation.azimuth == 360; }
bool is_vertical(const Channel& ch) { return ch.orientation.axis == Axis::kVertical; }

std::string numbered_list(const std::vector<Channel>& channels) {
  std::string list;
  for (std::size_t k = 0; k < channels.size(); ++k)
    list += "\n  " + std::to_string(k + 1) + ". " + describe(channels[k]) +
            (is_vertical(channels[k]) ? ": vertical" : ": horizontal");
  return list;
}

[[noreturn]] void refuse(const std::string& why, const std::vector<Channel>& channels) {
  throw SplitError(why + ":" + numbered_list(channels));
}

// The two horizontals in N00, N90 order.
std::array<std::size_t, 2> in_order(const std::vector<Channel>& channels, std::size_t first, std::size_t second) {
  int a = channels[first].orientation.azimuth, b = channels[second].orientation.azimuth;
  if (a >= 0 && b >= 0) {
    int da = off_north_south(a), db = off_north_south(b);
    if (db < da || (db == da && b < a)) std::swap(first, second);
  } else if (!is_north(channels[first]) && is_north(channels[second])) {
    std::swap(first, second);
  }
  return {first, second};
}

std::array<std::size_t, 3> by_orientation(const std::vector<Channel>& channels, bool zeros,
                                          bool horizontal_zeros = false) {
  std::vector<std::size_t> horizontal, vertical;
  for (std::size_t k = 0; k < channels.size(); ++k) (is_vertical(channels[k]) ? vertical : horizontal).push_back(k);
  if (horizontal_zeros && horizontal.size() == 1 && vertical.size() <= 1) {
    if (vertical.empty() && !zeros)
      throw SplitError("the record has one horizontal channel and no vertical, " + describe(channels[horizontal[0]]) +
                       "; --missing-vertical zeros writes a KVB-UP.txt of zeros");
    const int azimuth = channels[horizontal[0]].orientation.azimuth;
    const std::size_t up = vertical.empty() ? kZeros : vertical[0];
    if (azimuth >= 0 && off_north_south(azimuth) > 45) return {kZeros, horizontal[0], up};
    return {horizontal[0], kZeros, up};
  }
  const bool no_vertical = vertical.empty() && horizontal.size() == 2;
  if (no_vertical) {
    if (!zeros)
      throw SplitError("the record has no vertical channel, only " + describe(channels[0]) + " and " +
                       describe(channels[1]) + "; --missing-vertical zeros writes a KVB-UP.txt of zeros");
    vertical.push_back(kZerosVertical);
  }
  if (channels.size() < 3 && !no_vertical)
    refuse("need exactly three channels, found " + std::to_string(channels.size()), channels);
  if (vertical.size() != 1 || horizontal.size() != 2)
    refuse("need one vertical and two horizontal channels, found " + std::to_string(vertical.size()) +
               " vertical and " + std::to_string(horizontal.size()) + " horizontal",
           channels);
  auto [n00, n90] = in_order(channels, horizontal[0], horizontal[1]);
  return {n00, n90, vertical[0]};
}

std::string folded(const std::string& text);
constexpr std::size_t npos = std::string::npos;

// The words that place a set of channels at the ground, or in a borehole.
bool at(Sensor sensor, const std::string& location) {
  const std::string words = " " + folded(location) + " ";
  if (sensor == Sensor::kBorehole) return words.find(" borehole ") != npos || words.find(" downhole ") != npos;
  for (const char* ground : {" surface ", " free field ", " freefield ", " ground level ", " ground floor "})
    if (words.find(ground) != npos) return true;
  return false;
}

// Of more than three channels, the one set at the sensor's location that
// makes the components (by_orientation), or nothing.
std::optional<std::array<std::size_t, 3>> by_location(const std::vector<Channel>& channels, bool zeros, Sensor sensor) {
  std::optional<std::array<std::size_t, 3>> found;
  std::vector<std::string> seen;
  for (const Channel& ch : channels) {
    const std::string place = folded(ch.location);
    if (place.empty() || !at(sensor, place) || std::find(seen.begin(), seen.end(), place) != seen.end()) continue;
    seen.push_back(place);
    std::vector<Channel> set;
    std::vector<std::size_t> index;
    for (std::size_t k = 0; k < channels.size(); ++k) {
      if (folded(channels[k].location) != place) continue;
      set.push_back(channels[k]);
      index.push_back(k);
    }
    try {
      std::array<std::size_t, 3> pick = by_orientation(set, zeros);
      if (found) return std::nullopt;  // two sets: the files do not tell which
      for (std::size_t& p : pick) p = p == kZerosVertical ? p : index[p];
      found = pick;
    } catch (const SplitError&) {}
  }
  return found;
}

std::array<std::size_t, 3> by_choice(const std::vector<Channel>& channels, const std::vector<long>& chosen) {
  std::array<std::size_t, 3> pick{0, 0, kZerosVertical};
  for (std::size_t c = 0; c < chosen.size(); ++c) {
    if (chosen[c] < 1 || chosen[c] > static_cast<long>(channels.size()))
      refuse("--channels: there is no channel " + std::to_string(chosen[c]), channels);
    pick[c] = static_cast<std::size_t>(chosen[c] - 1);
    for (std::size_t e = 0; e < c; ++e)
      if (pick[e] == pick[c]) refuse("--channels: channel " + std::to_string(chosen[c]) + " is chosen twice", channels);
  }
  for (std::size_t c = 0; c < chosen.size(); ++c) {
    if (is_vertical(channels[pick[c]]) != (c == kUp))
      refuse(std::string("--channels: ") + layout::kComponents[c] + " needs " +
                 (c == kUp ? "the vertical" : "a horizontal") + " channel, and " + std::to_string(chosen[c]) + " is " +
                 (c == kUp ? "horizontal" : "vertical"),
             channels);
  }
  return pick;
}

// Text as files of one record may write it differently: lower case, each run
// of blanks and punctuation one blank, none at the ends.
std::string folded(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || std::isalnum(byte)) {
      out += static_cast<char>(std::tolower(byte));
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The same words, or the words of one followed by more ("Loma Prieta" and
// "Loma Prieta, CA").
bool same_words(const std::string& a, const std::string& b) {
  const std::string fa = folded(a), fb = folded(b);
  const std::string& shorter = fa.size() < fb.size() ? fa : fb;
  const std::string& longer = fa.size() < fb.size() ? fb : fa;
  return longer.compare(0, shorter.size(), shorter) == 0 &&
         (longer.size() == shorter.size() || longer[shorter.size()] == ' ');
}

// Whether a code's network is a placeholder of dashes ("---J2236"): the
// network is not known, not another one.
bool network_unknown(const std::string& code) { return code.rfind("--", 0) == 0; }

// Station codes: equal, or across formats (or where one leaves the network
// unknown) one the other behind a network's letters ("CE24278" and "24278").
bool same_code(const Channel& a, const Channel& b) {
  const std::string fa = folded(a.station_code), fb = folded(b.station_code);
  if (fa == fb) return true;
  if (a.format == b.format && !network_unknown(a.station_code) && !network_unknown(b.station_code)) return false;
  const std::string& shorter = fa.size() < fb.size() ? fa : fb;
  const std::string& longer = fa.size() < fb.size() ? fb : fa;
  const std::size_t prefix = longer.size() - shorter.size();
  if (longer.compare(prefix, shorter.size(), shorter) != 0) return false;
  for (std::size_t k = 0; k < prefix; ++k)
    if (!std::isalpha(static_cast<unsigned char>(longer[k])) && longer[k] != ' ') return false;
  return true;
}

// Seconds since 1970 of an ISO 8601 instant ("2014-08-24T10:20:44.000Z",
// "1987-10-01T07:42:00-07:00"); nothing for other text.
std::optional<double> instant(const std::string& iso) {
  int y = 0, m = 0, d = 0, hour = 0, minute = 0, used = 0;
  double second = 0;
  if (std::sscanf(iso.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &y, &m, &d, &hour, &minute, &second, &used) != 6)
    return std::nullopt;
  const std::string zone = iso.substr(static_cast<std::size_t>(used));
  int offset = 0;
  if (!zone.empty() && zone != "Z") {
    char sign = 0;
    int zh = 0, zm = 0;
    if (std::sscanf(zone.c_str(), "%c%2d:%2d", &sign, &zh, &zm) != 3 || (sign != '+' && sign != '-'))
      return std::nullopt;
    offset = (sign == '-' ? -60 : 60) * (zh * 60 + zm);
  }
  // Days from 1970-01-01 in the proleptic Gregorian calendar.
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400, of_era = y - era * 400;
  const int of_year = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long days = era * 146097L + of_era * 365 + of_era / 4 - of_era / 100 + of_year - 719468;
  return static_cast<double>(days) * 86400 + hour * 3600 + minute * 60 + second - offset;
}

// What two channels of one record share and these two do not, where both
// files say it: nothing when they may be of one record. Like is compared
// with like: codes with codes, names with names (where a code is missing).
const char* differing(const Channel& a, const Channel& b) {
  if (!a.station_code.empty() && !b.station_code.empty()) {
    if (!same_code(a, b)) return "station";
  } else if (!a.station_name.empty() && !b.station_name.empty() && !same_words(a.station_name, b.station_name)) {
    return "station";
  }
  if (!a.event_date.empty() && !b.event_date.empty() && a.event_date != b.event_date) return "event date";
  if (!a.event.empty() && !b.event.empty() && !same_words(a.event, b.event)) return "event";
  if (a.format == b.format && !a.start_time.empty() && !b.start_time.empty()) {
    if (folded(a.start_time) != folded(b.start_time)) return "start time";
  } else if (!a.start_iso.empty() && !b.start_iso.empty()) {
    // Formats round an instant differently; records differ by more.
    auto ta = instant(a.start_iso), tb = instant(b.start_iso);
    if (ta && tb ? std::fabs(*ta - *tb) > 1.0 : folded(a.start_iso) != folded(b.start_iso)) return "start time";
  }
  return nullptr;
}

// "station 12345 "Cedar Flat", event "Loma Prieta, CA" of 1989-10-18,
// starting 1989-10-18T00:04:15Z": the record as the files name it.
std::string record_text(const Channel& ch) {
  std::string text;
  auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  if (!ch.station_code.empty() || !ch.station_name.empty()) {
    std::string station = "station";
    if (!ch.station_code.empty()) station += " " + escaped(ch.station_code);
    if (!ch.station_name.empty()) station += " \"" + escaped(ch.station_name) + "\"";
    add(station);
  }
  if (!ch.event.empty() || !ch.event_date.empty()) {
    std::string event = "event";
    if (!ch.event.empty()) event += " \"" + escaped(ch.event) + "\"";
    if (!ch.event_date.empty()) event += " of " + escaped(ch.event_date);
    add(event);
  }
  const std::string& start = ch.start_iso.empty() ? ch.start_time : ch.start_iso;
  if (!start.empty()) add("starting " + escaped(start));
  return text;
}

bool same_channel(const Channel& a, const Channel& b) {
  return a.number == b.number && a.orientation_text == b.orientation_text && a.interval == b.interval &&
         a.times == b.times && a.samples == b.samples;
}

// Channels of one record, each once.
void check_one_record(const std::vector<Channel>& channels, const std::array<std::size_t, 3>& pick) {
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = i + 1; j < 3; ++j) {
      if (pick[i] == kZerosVertical || pick[j] == kZerosVertical) continue;
      const Channel& a = channels[pick[i]];
      const Channel& b = channels[pick[j]];
      if (same_channel(a, b))
        throw SplitError(describe(a) + " and " + describe(b) +
                         " are the same channel, the same samples (one file given twice?)");
      if (const char* what = differing(a, b))
        throw SplitError(std::string("channels of different records (the ") + what + " differs): " + describe(a) +
                         " is " + record_text(a) + "; " + describe(b) + " is " + record_text(b));
    }
  }
}

}  // namespace

std::string describe(const Channel& ch) {
  std::string text = escaped(ch.source) + " channel " + escaped(ch.number) + " (" + escaped(ch.orientation_text);
  if (!ch.location.empty()) text += ", " + escaped(ch.location);
  return text + ")";
}

std::vector<long> chosen_numbers(const std::vector<Channel>& channels, const std::vector<std::string>& names) {
  std::vector<long> numbers;
  for (const std::string& name : names) {
    if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      numbers.push_back(std::strtol(name.c_str(), nullptr, 10));
      continue;
    }
    long found = 0;
    for (std::size_t k = 0; k < channels.size(); ++k) {
      const Channel& ch = channels[k];
      const std::size_t dot = ch.source.rfind('.');
      const std::string extension = dot == npos ? "" : ch.source.substr(dot + 1);
      const std::string want = folded(name);
      if (want != folded(ch.number) && want != folded(ch.orientation_text) && want != folded(extension)) continue;
      if (found) refuse("--channels: " + escaped(name) + " names more than one channel", channels);
      found = static_cast<long>(k + 1);
    }
    if (!found) refuse("--channels: no channel is named " + escaped(name), channels);
    numbers.push_back(found);
  }
  return numbers;
}

std::array<std::size_t, 3> select_components(const std::vector<Channel>& channels, const std::vector<long>& chosen,
                                             bool zeros, Sensor sensor, bool horizontal_zeros) {
  std::array<std::size_t, 3> pick{};
  if (!chosen.empty()) {
    pick = by_choice(channels, chosen);
  } else if (channels.size() > 3) {
    if (auto at_sensor = by_location(channels, zeros, sensor)) {
      pick = *at_sensor;
    } else {
      refuse("found " + std::to_string(channels.size()) +
                 " channels; choose three with --channels N00,N90,UP (numbers from this list)",
             channels);
    }
  } else {
    pick = by_orientation(channels, zeros, horizontal_zeros);
  }
  check_one_record(channels, pick);
  return pick;
}

}  // namespace kvb
