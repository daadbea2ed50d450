// Which way a channel points.
#pragma once

#include <optional>
#include <string_view>

enum class Axis { kHorizontal, kVertical };

struct Orientation {
  Axis axis = Axis::kHorizontal;
  int azimuth = -1;  // degrees for "360 Deg"; -1 for "Long", "Tran", "Up"
};

// "360 Deg", "90", "Up", "DOWN", "Vert", "Long", "Tran" -> the orientation;
// nothing for words it does not know.
std::optional<Orientation> classify_orientation(std::string_view text);
