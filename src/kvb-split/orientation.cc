#include "orientation.h"

#include <cctype>

namespace {

bool is_north(const Orientation& o) { return o.azimuth == 0 || o.azimuth == 360; }

}  // namespace

std::optional<Orientation> classify_orientation(std::string_view text) {
  std::string word;
  for (char c : text) {
    if (c == ' ') break;
    word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0]))) {
    int degrees = 0;
    for (char c : word) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
      degrees = degrees * 10 + (c - '0');
      if (degrees > 360) return std::nullopt;
    }
    return Orientation{Axis::kHorizontal, degrees};
  }
  for (const char* w : {"up", "down", "vert", "vertical", "z"}) {
    if (word == w) return Orientation{Axis::kVertical, -1};
  }
  for (const char* w : {"long", "longitudinal", "tran", "trans", "transverse", "radial", "horiz",
                        "horizontal"}) {
    if (word == w) return Orientation{Axis::kHorizontal, -1};
  }
  return std::nullopt;
}

std::optional<std::array<std::size_t, 3>> assign_components(const std::vector<Orientation>& channels,
                                                            std::string& why) {
  std::vector<std::size_t> horizontal, vertical;
  for (std::size_t k = 0; k < channels.size(); ++k) {
    (channels[k].axis == Axis::kVertical ? vertical : horizontal).push_back(k);
  }
  if (vertical.size() != 1 || horizontal.size() != 2) {
    why = "need one vertical and two horizontal channels, found " + std::to_string(vertical.size()) +
          " vertical and " + std::to_string(horizontal.size()) + " horizontal";
    return std::nullopt;
  }
  std::size_t first = horizontal[0], second = horizontal[1];
  if (!is_north(channels[first]) && is_north(channels[second])) std::swap(first, second);
  return std::array<std::size_t, 3>{first, second, vertical[0]};
}
