#include "record/orientation.h"

#include <algorithm>
#include <string>

#include "readers/text.h"

namespace kvb {

namespace {

constexpr Orientation kVertical{Axis::kVertical, -1};
constexpr Orientation kNoAzimuth{Axis::kHorizontal, -1};

std::optional<int> direction(char c) {
  switch (c) {
    case 'n': return 0;
    case 'e': return 90;
    case 's': return 180;
    case 'w': return 270;
  }
  return std::nullopt;
}

// "360", "090", "90deg": up to three digits, then nothing or a unit ("deg",
// "degr", "degrees") in the same word; what follows the word does not matter.
std::optional<Orientation> azimuth(const std::string& word) {
  std::size_t k = 0;
  int degrees = 0;
  while (k < word.size() && is_digit(word[k]) && k < 3) degrees = degrees * 10 + (word[k++] - '0');
  const std::string unit = word.substr(k);
  if (degrees > 360 || !(unit.empty() || unit == "deg" || unit == "degr" || unit == "degrees")) return std::nullopt;
  return Orientation{Axis::kHorizontal, degrees};
}

// "s17e" -> 163: from north or south, that many degrees towards east or west.
std::optional<int> bearing(const std::string& word) {
  if (word.size() < 3 || word.size() > 4 || (word[0] != 'n' && word[0] != 's')) return std::nullopt;
  char towards = word.back();
  if (towards != 'e' && towards != 'w') return std::nullopt;
  int degrees = 0;
  for (std::size_t k = 1; k + 1 < word.size(); ++k) {
    if (!is_digit(word[k])) return std::nullopt;
    degrees = degrees * 10 + (word[k] - '0');
  }
  if (degrees > 90) return std::nullopt;
  int from_north = word[0] == 'n' ? degrees : 180 - degrees;
  return towards == 'e' ? from_north : (360 - from_north) % 360;
}

// "hnz", "bh1": two letters of band and instrument, then the component.
std::optional<Orientation> channel_code(const std::string& code) {
  if (code.size() != 3 || !is_alpha(code[0]) || !is_alpha(code[1])) return std::nullopt;
  switch (code[2]) {
    case 'z': return kVertical;
    case 'n': return Orientation{Axis::kHorizontal, 0};
    case 'e': return Orientation{Axis::kHorizontal, 90};
    case '1':
    case '2': return kNoAzimuth;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Orientation> classify_orientation(std::string_view text) {
  std::string word;
  for (char c : text.substr(std::min(text.size(), text.find_first_not_of(' ')))) {
    if (c == ' ') break;
    word.push_back(lower(c));
  }
  if (!word.empty() && is_digit(word[0])) return azimuth(word);
  for (const char* w : {"up", "u", "down", "dwn", "dn", "d", "vert", "vertical", "v", "z", "ud", "u-d", "nz"}) {
    if (word == w) return kVertical;
  }
  for (const char* w : {"long", "longitudinal", "l", "tran", "trans", "transverse", "t", "radl", "radial", "r", "tang",
                        "tangential", "horiz", "horizontal", "h1", "h2"}) {
    if (word == w) return kNoAzimuth;
  }
  // "n"; "ns", "n-s": an axis, positive towards its first letter.
  if (word.size() == 1 || word.size() == 2 || (word.size() == 3 && word[1] == '-')) {
    std::optional<int> first = direction(word[0]), second = direction(word.back());
    if (first && second && (word.size() == 1 || (*first + 180) % 360 == *second)) {
      return Orientation{Axis::kHorizontal, *first};
    }
  }
  if (auto degrees = bearing(word)) return Orientation{Axis::kHorizontal, *degrees};
  return channel_code(word);
}

}  // namespace kvb
