// Which way a channel points.
#pragma once

#include <optional>
#include <string_view>

enum class Axis { kHorizontal, kVertical };

struct Orientation {
  Axis axis = Axis::kHorizontal;
  int azimuth = -1;  // degrees east of north, 0 to 360; -1 for "Long", "Tran", "Up"
};

// The orientation its first word gives, in any case: an azimuth ("360 Deg",
// "90"), a vertical ("Up", "Down", "Vert", "UD", "U-D", "Z"), a horizontal
// without azimuth ("Long", "Tran", "Radl", "Tang", "H1", "H2"), north-south
// ("NS", "N-S", "N": 0) or east-west ("EW", "E-W", "E": 90), or a bearing
// ("S16W": 196, "N28W": 332). Nothing for words it does not know.
std::optional<Orientation> classify_orientation(std::string_view text);
