// Which way a channel points, and the one vocabulary every reader reads it in.
#pragma once

#include <optional>
#include <string_view>

namespace kvb {

enum class Axis { kHorizontal, kVertical };

struct Orientation {
  Axis axis = Axis::kHorizontal;
  int azimuth = -1;  // degrees east of north, 0 to 360; -1 for "Long", "Tran", "Up"
};

// The orientation the first word of text gives, in any case:
//  - an azimuth, with or without its unit: "360 Deg", "90DEG", "360 DegR", "090";
//  - a direction or an axis, positive towards its first letter: "N" 0, "S" 180,
//    "E" 90, "W" 270, "NS" and "N-S" 0, "SN" 180, "EW" and "E-W" 90, "WE" 270;
//  - a bearing from north or south towards east or west: "N40E" 40, "S17E" 163,
//    "S73W" 253, "N89W" 271;
//  - a vertical: "Up", "U", "Down", "DWN", "D", "Vert", "V", "Z", "UD", "U-D", and
//    "NZ" (the nadir-zenith axis, named as "NS" and "EW" name theirs);
//  - a horizontal without azimuth: "Long", "L", "Tran", "T", "Radl", "R", "Tang",
//    "H1", "H2";
//  - a seismic channel code of band, instrument and component ("HNZ", "BHZ"
//    vertical; "HNN" 0, "HNE" 90; "BH1", "HN2" horizontals without azimuth).
// Nothing for words it does not know.
std::optional<Orientation> classify_orientation(std::string_view text);

}  // namespace kvb
