#include "orientation.h"

#include <cctype>
#include <string>

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
