#include "formats/numbers.h"

#include <cctype>
#include <charconv>

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

std::string_view columns(std::string_view line, std::size_t first, std::size_t width) {
  if (first < 1 || first > line.size()) return {};
  return line.substr(first - 1, width);
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}
