#include "selection.h"

#include "split_error.h"

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
    list += "\n  " + std::to_string(k + 1) + ". " + describe(channels[k]);
  return list;
}

[[noreturn]] void refuse(const std::string& why, const std::vector<Channel>& channels) {
  throw SplitError(why + ":" + numbered_list(channels));
}

std::array<std::size_t, 3> by_orientation(const std::vector<Channel>& channels) {
  std::vector<std::size_t> horizontal, vertical;
  for (std::size_t k = 0; k < channels.size(); ++k) (is_vertical(channels[k]) ? vertical : horizontal).push_back(k);
  if (vertical.size() != 1 || horizontal.size() != 2)
    refuse("need one vertical and two horizontal channels, found " + std::to_string(vertical.size()) +
               " vertical and " + std::to_string(horizontal.size()) + " horizontal",
           channels);
  std::size_t first = horizontal[0], second = horizontal[1];
  int a = channels[first].orientation.azimuth, b = channels[second].orientation.azimuth;
  if (a >= 0 && b >= 0) {
    int da = off_north_south(a), db = off_north_south(b);
    if (db < da || (db == da && b < a)) std::swap(first, second);
  } else if (!is_north(channels[first]) && is_north(channels[second])) {
    std::swap(first, second);
  }
  return {first, second, vertical[0]};
}

std::array<std::size_t, 3> by_choice(const std::vector<Channel>& channels, const std::vector<long>& chosen) {
  std::array<std::size_t, 3> pick{};
  for (std::size_t c = 0; c < 3; ++c) {
    if (chosen[c] < 1 || chosen[c] > static_cast<long>(channels.size()))
      refuse("--channels: there is no channel " + std::to_string(chosen[c]), channels);
    pick[c] = static_cast<std::size_t>(chosen[c] - 1);
    for (std::size_t e = 0; e < c; ++e)
      if (pick[e] == pick[c]) refuse("--channels: channel " + std::to_string(chosen[c]) + " is chosen twice", channels);
  }
  const char* names[3] = {"N00", "N90", "UP"};
  for (std::size_t c = 0; c < 3; ++c) {
    if (is_vertical(channels[pick[c]]) != (c == kUp))
      refuse(std::string("--channels: ") + names[c] + " needs " + (c == kUp ? "the vertical" : "a horizontal") +
                 " channel, and " + std::to_string(chosen[c]) + " is " + (c == kUp ? "horizontal" : "vertical"),
             channels);
  }
  return pick;
}

// Channels of one record: same station, same start, where the files say.
void check_one_record(const std::vector<Channel>& channels, const std::array<std::size_t, 3>& pick) {
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = i + 1; j < 3; ++j) {
      const Channel& a = channels[pick[i]];
      const Channel& b = channels[pick[j]];
      if (a.format != b.format) continue;  // formats write codes and times differently
      if (!a.station_code.empty() && !b.station_code.empty() && a.station_code != b.station_code)
        throw SplitError("channels of different stations: " + describe(a) + " is station " + escaped(a.station_code) +
                         ", " + describe(b) + " station " + escaped(b.station_code));
      if (!a.start_time.empty() && !b.start_time.empty() && a.start_time != b.start_time)
        throw SplitError("channels of records that start at different times: " + describe(a) + " starts at " +
                         escaped(a.start_time) + ", " + describe(b) + " at " + escaped(b.start_time));
    }
  }
}

}  // namespace

std::string describe(const Channel& ch) {
  std::string text = escaped(ch.source) + " channel " + escaped(ch.number) + " (" + escaped(ch.orientation_text);
  if (!ch.location.empty()) text += ", " + escaped(ch.location);
  return text + ")";
}

std::array<std::size_t, 3> select_components(const std::vector<Channel>& channels, const std::vector<long>& chosen) {
  std::array<std::size_t, 3> pick{};
  if (!chosen.empty()) {
    pick = by_choice(channels, chosen);
  } else if (channels.size() > 3) {
    refuse("found " + std::to_string(channels.size()) +
               " channels; choose three with --channels N00,N90,UP (numbers from this list)",
           channels);
  } else if (channels.size() < 3) {
    refuse("need exactly three channels, found " + std::to_string(channels.size()), channels);
  } else {
    pick = by_orientation(channels);
  }
  check_one_record(channels, pick);
  return pick;
}
