#include "readers/numbers.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "readers/text.h"

namespace kvb {

namespace {

// The powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr long kMostExactPower = 22;
// Digits of a mantissa that a double holds exactly (below 2^53).
constexpr std::size_t kMostExactDigits = 15;
// Digits read at once from one 8-byte word.
constexpr std::size_t kSwarDigits = 8;

// Reads the digits from at on into whole (exact while there are at most
// kMostExactDigits of them); returns how many.
std::size_t read_digits(const char*& at, const char* end, std::uint64_t& whole) {
  const char* start = at;
  std::uint64_t value = whole;
  for (; at < end && is_digit(*at); ++at) value = value * 10 + static_cast<unsigned>(*at - '0');
  whole = value;
  return static_cast<std::size_t>(at - start);
}

// Bytes of a little-endian word: the first byte of the text lowest.
constexpr std::uint64_t kEach = 0x0101010101010101;
constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0;
constexpr std::uint64_t kTop = 0x8080808080808080;

// The value of a fixed-point text of at most eight digits that starts at at
// and ends at end ([digits] point [digits], without its sign), read as one
// word; nothing where it is not of that kind, or where the field (of eight
// bytes or more) does not hold the eight bytes from at or its last eight.
[[gnu::always_inline]] inline std::optional<double> fixed_point(std::string_view field, const char* at,
                                                                const char* end) {
  const auto length = static_cast<std::size_t>(end - at);
  if (length < 2 || field.size() < kSwarDigits) return std::nullopt;
  const char* from = std::min(at, field.data() + field.size() - kSwarDigits);
  const auto before = static_cast<std::size_t>(at - from);  // blanks and sign before at in the word
  if (length + before > kSwarDigits + (before == 0)) return std::nullopt;
  std::uint64_t word;
  std::memcpy(&word, from, sizeof word);
  word >>= before * 8;  // the text from at
  // The first point: the first zero byte of word ^ "........".
  const std::uint64_t dots = word ^ ('.' * kEach);
  const auto point = static_cast<std::size_t>(std::countr_zero((dots - kEach) & ~dots & kTop)) / 8;
  if (point >= length || point == kSwarDigits) return std::nullopt;
  // The digits closed up over the point; a ninth byte of text comes last.
  const std::uint64_t below = (std::uint64_t{1} << (point * 8)) - 1;
  word = (word & below) | ((word >> 8) & ~below);
  if (length > kSwarDigits) word |= std::uint64_t{static_cast<unsigned char>(at[kSwarDigits])} << 56;
  // Right-aligned as eight digits, zero bytes (read as zeros) before them.
  const auto missing = static_cast<unsigned>(kSwarDigits + 1 - length) * 8;
  word <<= missing;
  if (((word & kHigh) | (((word + (6 * kEach << missing)) & kHigh) >> 4)) != (3 * 0x11 * kEach) << missing)
    return std::nullopt;
  // Pairs, then fours, then all eight: the earlier digits are the higher.
  word = ((word & 0x0F0F0F0F0F0F0F0F) * (10 * 256 + 1)) >> 8;
  word = ((word & 0x00FF00FF00FF00FF) * (100 * 65536 + 1)) >> 16;
  word = ((word & 0x0000FFFF0000FFFF) * (10000 * (std::uint64_t{1} << 32) + 1)) >> 32;
  return static_cast<double>(word) / kExactPowers[length - 1 - point];
}

// The rest of a text that is not of fixed_point's kind: from at (after the
// sign) on, the text starting at text.
[[gnu::noinline]] std::optional<double> general_number(const char* text, const char* at, const char* end, bool& point) {
  const bool plus = *text == '+', minus = *text == '-';
  std::uint64_t whole = 0;
  std::size_t mantissa = read_digits(at, end, whole), decimals = 0;
  if (at < end && *at == '.') {
    point = true;
    ++at;
    decimals = read_digits(at, end, whole);
    mantissa += decimals;
  }
  if (mantissa == 0) return std::nullopt;
  std::uint64_t exponent = 0;
  bool down = false;
  if (at < end && (*at == 'E' || *at == 'e')) {
    ++at;
    down = at < end && *at == '-';
    if (at < end && (*at == '+' || *at == '-')) ++at;
    const std::size_t exponent_digits = read_digits(at, end, exponent);
    if (exponent_digits == 0 || exponent_digits > 3) return std::nullopt;
  }
  if (at != end) return std::nullopt;
  // An exact mantissa and an exact power of ten: one multiplication or
  // division rounds once, to the double nearest the text, as from_chars does.
  const long scale = (down ? -1 : 1) * static_cast<long>(exponent) - static_cast<long>(decimals);
  if (mantissa <= kMostExactDigits && scale >= -kMostExactPower && scale <= kMostExactPower) {
    const double magnitude = scale < 0 ? static_cast<double>(whole) / kExactPowers[-scale]
                                       : static_cast<double>(whole) * kExactPowers[scale];
    return minus ? -magnitude : magnitude;
  }
  double value = 0;
  const char* from = plus ? text + 1 : text;
  auto [stop, ec] = std::from_chars(from, end, value);
  if (ec != std::errc() || stop != end) return std::nullopt;
  return value;
}

// parse_number, inline where a line's fields are read.
[[gnu::always_inline]] inline std::optional<double> number(std::string_view field, bool& point) {
  const char* at = field.data();
  const char* end = at + field.size();
  while (at < end && *at == ' ') ++at;
  while (end > at && end[-1] == ' ') --end;
  point = false;
  if (at == end) return std::nullopt;
  const char* const text = at;
  const bool minus = *at == '-';
  if (minus || *at == '+') ++at;
  if (auto magnitude = fixed_point(field, at, end)) {
    point = true;
    return minus ? -*magnitude : *magnitude;
  }
  return general_number(text, at, end, point);
}

}  // namespace

std::optional<double> parse_number(std::string_view field) {
  bool point;
  return number(field, point);
}

std::optional<double> parse_number(std::string_view field, bool& point) { return number(field, point); }

std::size_t parse_fields(std::string_view line, std::size_t count, std::size_t width, double* values, bool& points) {
  for (std::size_t k = 0, first = 0; k < count; ++k, first += width) {
    // columns(line, first + 1, width), without its checks of the arguments
    const std::string_view field =
        first < line.size() ? std::string_view(line.data() + first, std::min(width, line.size() - first)) : "";
    bool point;
    auto value = number(field, point);
    if (!value) return k;
    values[k] = *value;
    points &= point;
  }
  return count;
}

double printed_unit(std::string_view field) {
  field = field.substr(0, std::min(field.find_last_not_of(' ') + 1, field.size()));
  std::size_t exponent_at = field.find_first_of("eE");
  int exponent = 0;
  if (exponent_at != std::string_view::npos) {
    auto value = parse_number(field.substr(exponent_at + 1));
    exponent = value ? static_cast<int>(std::clamp(*value, -400.0, 400.0)) : 0;
  }
  std::string_view mantissa = field.substr(0, exponent_at);
  std::size_t point = mantissa.find('.');
  const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
  return std::pow(10.0, exponent - decimals);
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lower(c);
  return out;
}

}  // namespace kvb
