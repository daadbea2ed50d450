#include "formats/numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> parse_number(std::string_view field) {
  auto first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  field = field.substr(first, field.find_last_not_of(' ') - first + 1);
  std::size_t k = 0, n = field.size();
  auto digits = [&] {
    std::size_t start = k;
    while (k < n && digit(field[k])) ++k;
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
