#include "formats/numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// The powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr long kMostExactPower = 22;
// Digits of a mantissa that a double holds exactly (below 2^53).
constexpr std::size_t kMostExactDigits = 15;
// Digits read at once from one 8-byte word, and the word of eight '0's.
constexpr std::size_t kSwarDigits = 8;
constexpr std::uint64_t kEightDigits = 100000000;
constexpr std::uint64_t kZeroDigits = 0x3030303030303030;

// Reads the digits from at on into whole (exact while there are at most
// kMostExactDigits of them); returns how many.
std::size_t read_digits(const char*& at, const char* end, std::uint64_t& whole) {
  const char* start = at;
  std::uint64_t value = whole;
  for (; at < end && digit(*at); ++at) value = value * 10 + static_cast<unsigned>(*at - '0');
  whole = value;
  return static_cast<std::size_t>(at - start);
}

// The last count (1 to 8) bytes before end, all digits, as a number of
// eight digits: the digits followed by zeros ("123456" gives 12345600).
// Nothing when one of them is not a digit. The eight bytes before end must
// be readable.
std::optional<std::uint64_t> eight_digits(const char* end, std::size_t count) {
  std::uint64_t bytes;
  std::memcpy(&bytes, end - kSwarDigits, sizeof bytes);  // the first byte lowest
  const auto missing = static_cast<unsigned>(kSwarDigits - count) * 8;
  bytes = (bytes >> missing) | (kZeroDigits << (63 - missing) << 1);  // the zeros after the digits
  // Every byte from '0' to '9': its high half is 3, and adding 6 keeps it so.
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0;
  if ((bytes & kHigh) != (kZeroDigits & kHigh) || ((bytes + 0x0606060606060606) & kHigh) != (kZeroDigits & kHigh))
    return std::nullopt;
  bytes -= kZeroDigits;
  // Pairs, then fours, then all eight: the earlier digits are the higher.
  bytes = (bytes * 10 + (bytes >> 8)) & 0x00FF00FF00FF00FF;
  bytes = (bytes * 100 + (bytes >> 16)) & 0x0000FFFF0000FFFF;
  return (bytes * 10000 + (bytes >> 32)) & 0xFFFFFFFF;
}

}  // namespace

std::optional<double> parse_number(std::string_view field) {
  const char* at = field.data();
  const char* end = at + field.size();
  while (at < end && *at == ' ') ++at;
  while (end > at && end[-1] == ' ') --end;
  if (at == end) return std::nullopt;
  const char* const text = at;
  const bool plus = *at == '+', minus = *at == '-';
  if (plus || minus) ++at;
  std::uint64_t whole = 0;
  std::size_t mantissa = read_digits(at, end, whole), decimals = 0;
  if (at < end && *at == '.') {
    ++at;
    decimals = static_cast<std::size_t>(end - at);
    // The common fixed-point field: the decimals run to its end, at most
    // eight of them, and the field holds the eight bytes that end there.
    if (decimals - 1 < kSwarDigits && end - field.data() >= std::ptrdiff_t{kSwarDigits} &&
        mantissa + kSwarDigits <= kMostExactDigits) {
      if (auto digits = eight_digits(end, decimals)) {
        const double magnitude = static_cast<double>(whole * kEightDigits + *digits) / kExactPowers[kSwarDigits];
        return minus ? -magnitude : magnitude;
      }
    }
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

std::string_view columns(std::string_view line, std::size_t first, std::size_t width) {
  if (first < 1 || first > line.size()) return {};
  return line.substr(first - 1, width);
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}
