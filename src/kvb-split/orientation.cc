#include "orientation.h"

#include <cctype>
#include <string>

namespace {

// "S16W" -> 196, "N28W" -> 332, "N45E" -> 45: degrees east of north.
std::optional<int> bearing(const std::string& word) {
  if (word.size() < 3 || (word[0] != 'n' && word[0] != 's')) return std::nullopt;
  char towards = word.back();
  if (towards != 'e' && towards != 'w') return std::nullopt;
  int degrees = 0;
  for (std::size_t k = 1; k + 1 < word.size(); ++k) {
    if (!std::isdigit(static_cast<unsigned char>(word[k])) || k > 2) return std::nullopt;
    degrees = degrees * 10 + (word[k] - '0');
  }
  if (degrees > 90) return std::nullopt;
  int from_north = word[0] == 'n' ? degrees : 180 - degrees;
  return towards == 'e' ? from_north : (360 - from_north) % 360;
}

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
  for (const char* w : {"up", "down", "vert", "vertical", "z", "ud", "u-d"}) {
    if (word == w) return Orientation{Axis::kVertical, -1};
  }
  for (const char* w : {"long", "longitudinal", "tran", "trans", "transverse", "radl", "radial", "tang", "tangential",
                        "horiz", "horizontal", "h1", "h2"}) {
    if (word == w) return Orientation{Axis::kHorizontal, -1};
  }
  for (const char* w : {"n", "ns", "n-s"}) {
    if (word == w) return Orientation{Axis::kHorizontal, 0};
  }
  for (const char* w : {"e", "ew", "e-w"}) {
    if (word == w) return Orientation{Axis::kHorizontal, 90};
  }
  if (auto degrees = bearing(word)) return Orientation{Axis::kHorizontal, *degrees};
  return std::nullopt;
}
