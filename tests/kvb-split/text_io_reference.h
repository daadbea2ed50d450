// The plain ways kvb-split once read a number and wrote a field, kept as the
// model its faster ones must agree with: the field by "%.*f" and strtof, the
// number by a syntax check and from_chars.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace kvb_test {

inline std::optional<double> reference_number(std::string_view field) {
  auto first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  field = field.substr(first, field.find_last_not_of(' ') - first + 1);
  std::size_t k = 0, n = field.size();
  auto digits = [&] {
    std::size_t start = k;
    while (k < n && field[k] >= '0' && field[k] <= '9') ++k;
    return k - start;
  };
  bool plus = k < n && field[k] == '+';
  if (k < n && (field[k] == '+' || field[k] == '-')) ++k;
  std::size_t mantissa = digits();
  if (k < n && field[k] == '.') {
    ++k;
    mantissa += digits();
  }
  if (mantissa == 0) return std::nullopt;
  if (k < n && (field[k] == 'E' || field[k] == 'e')) {
    ++k;
    if (k < n && (field[k] == '+' || field[k] == '-')) ++k;
    std::size_t exponent = digits();
    if (exponent == 0 || exponent > 3) return std::nullopt;
  }
  if (k != n) return std::nullopt;
  double value = 0;
  std::string_view text = plus ? field.substr(1) : field;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "%.*f" of value, without the zero before the point and without the sign of
// a value that shows as zero.
inline std::string reference_fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  bool minus = s[0] == '-';
  std::string digits = s.substr(minus ? 1 : 0);
  if (digits.compare(0, 2, "0.") == 0) digits.erase(0, 1);
  bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return (minus && !zero ? "-" : "") + digits;
}

// The 10-column field: the most decimals, three at least, that fit and that
// single precision reads back to the same digits.
inline std::optional<std::string> reference_field(double value) {
  if (!(value > -99999.9995 && value < 999999.9995)) return std::nullopt;
  for (int d = 8; d >= 3; --d) {
    std::string text = reference_fixed(value, d);
    if (text.size() > 10) continue;
    float stored = std::strtof(text.c_str(), nullptr);
    if (d > 3 && reference_fixed(static_cast<double>(stored), d) != text) continue;
    return std::string(10 - text.size(), ' ') + text;
  }
  return std::nullopt;
}

}  // namespace kvb_test
