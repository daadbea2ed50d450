#include "formats/field_format.h"

#include "formats/text.h"

std::optional<FieldLayout> parse_field_format(std::string_view text) {
  std::size_t k = 0, n = text.size();
  auto skip_blanks = [&] {
    while (k < n && text[k] == ' ') ++k;
  };
  auto number = [&]() -> std::size_t {
    std::size_t value = 0, start = k;
    while (k < n && is_digit(text[k]) && k - start < 4) value = value * 10 + static_cast<std::size_t>(text[k++] - '0');
    return k == start ? 0 : value;
  };
  skip_blanks();
  if (k == n || text[k++] != '(') return std::nullopt;
  skip_blanks();
  std::size_t repeat = k < n && is_digit(text[k]) ? number() : 1;
  if (k == n || std::string_view("efgdi").find(lower(text[k])) == std::string_view::npos) return std::nullopt;
  ++k;
  std::size_t width = number();
  if (k < n && text[k] == '.') {
    ++k;
    if (k == n || !is_digit(text[k])) return std::nullopt;
    number();
  }
  skip_blanks();
  if (k == n || text[k] != ')' || repeat == 0 || width == 0) return std::nullopt;
  return FieldLayout{repeat, width};
}

std::optional<long> leading_integer(std::string_view text) {
  std::size_t k = text.find_first_not_of(' ');
  if (k == std::string_view::npos || !is_digit(text[k])) return std::nullopt;
  long value = 0;
  for (; k < text.size() && is_digit(text[k]); ++k) {
    if (value > 100'000'000) return std::nullopt;
    value = value * 10 + (text[k] - '0');
  }
  return value;
}
