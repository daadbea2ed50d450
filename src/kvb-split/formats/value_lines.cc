#include "formats/value_lines.h"

#include <cctype>
#include <cstdio>

#include "formats/numbers.h"

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_blank(std::string_view text) { return trim(text).empty(); }

}  // namespace

std::string_view trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

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

bool read_value_line(std::string_view line, FieldLayout layout, std::vector<double>& values,
                     std::string& why) {
  bool blank_seen = false;
  for (std::size_t field = 0; field < layout.per_line; ++field) {
    std::string_view text = columns(line, field * layout.width + 1, layout.width);
    if (is_blank(text)) {
      blank_seen = true;
      continue;
    }
    if (blank_seen) {
      why = "field " + std::to_string(field + 1) + " follows a blank field";
      return false;
    }
    std::optional<double> value = parse_number(text);
    if (!value) {
      why = "field " + std::to_string(field + 1) + ": " + quoted(text) + " is not a number";
      return false;
    }
    values.push_back(*value);
  }
  std::string_view rest = columns(line, layout.per_line * layout.width + 1, line.size());
  if (!is_blank(rest)) {
    why = "text after the last field: " + quoted(rest);
    return false;
  }
  return true;
}

std::size_t find_word(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return std::string_view::npos;
  for (std::size_t at = 0; at + needle.size() <= text.size(); ++at) {
    if (starts_with_word(text.substr(at), needle)) return at;
  }
  return std::string_view::npos;
}

bool starts_with_word(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t k = 0; k < prefix.size(); ++k) {
    if (lower(text[k]) != lower(prefix[k])) return false;
  }
  return true;
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

std::optional<Orientation> channel_code_orientation(std::string_view code) {
  if (code.size() != 3 || !std::isalpha(static_cast<unsigned char>(code[0])) ||
      !std::isalpha(static_cast<unsigned char>(code[1]))) {
    return std::nullopt;
  }
  switch (lower(code[2])) {
    case 'z':
      return Orientation{Axis::kVertical, -1};
    case 'n':
      return Orientation{Axis::kHorizontal, 0};
    case 'e':
      return Orientation{Axis::kHorizontal, 90};
    case '1':
    case '2':
      return Orientation{Axis::kHorizontal, -1};
  }
  return std::nullopt;
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7e || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", u);
      out += hex;
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}
