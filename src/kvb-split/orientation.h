// Which way a channel points, and which component file each channel becomes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class Axis { kHorizontal, kVertical };

struct Orientation {
  Axis axis = Axis::kHorizontal;
  int azimuth = -1;  // degrees for "360 Deg"; -1 for "Long", "Tran", "Up"
};

// "360 Deg", "90", "Up", "DOWN", "Vert", "Long", "Tran" -> the orientation;
// nothing for words it does not know.
std::optional<Orientation> classify_orientation(std::string_view text);

// The component files, in the order read-KVB reads them.
enum Component { kN00 = 0, kN90 = 1, kUp = 2 };
inline constexpr std::array<const char*, 3> kComponentNames = {"KVB-N00.txt", "KVB-N90.txt",
                                                               "KVB-UP.txt"};

// Picks, for each component, the index of the channel that goes there: the
// vertical to UP; to N00 the one horizontal at 0 or 360 degrees, or else the
// first horizontal; the other horizontal to N90. Needs exactly one vertical
// and two horizontals; otherwise sets why and returns nothing.
std::optional<std::array<std::size_t, 3>> assign_components(const std::vector<Orientation>& channels,
                                                            std::string& why);
