#include "readers/field_format.h"

#include "readers/text.h"

namespace kvb {

std::optional<EditDescriptor> parse_edit_descriptor(std::string_view text, std::size_t at, DescriptorSyntax syntax) {
  std::size_t k = at;
  const std::size_t n = text.size();
  auto skip_blanks = [&] {
    while (syntax.blanks && k < n && text[k] == ' ') ++k;
  };
  auto number = [&](std::size_t& out) {
    const std::size_t start = k;
    out = 0;
    while (k < n && is_digit(text[k]) && k - start < syntax.digits)
      out = out * 10 + static_cast<std::size_t>(text[k++] - '0');
    return k > start;
  };
  EditDescriptor d;
  skip_blanks();
  if (!number(d.repeat)) d.repeat = 1;
  if (k == n || std::string_view("efgdi").find(lower(text[k])) == std::string_view::npos) return std::nullopt;
  d.code = lower(text[k++]);
  if (!number(d.width)) return std::nullopt;
  if (k < n && text[k] == '.') {
    ++k;
    if (!number(d.decimals)) return std::nullopt;
  }
  skip_blanks();
  if (k == n || text[k] != ')' || d.repeat == 0 || d.width == 0) return std::nullopt;
  return d;
}

std::optional<FieldLayout> parse_field_format(std::string_view text) {
  const std::size_t open = text.find_first_not_of(' ');
  if (open == std::string_view::npos || text[open] != '(') return std::nullopt;
  std::optional<EditDescriptor> d = parse_edit_descriptor(text, open + 1, {4, true});
  if (!d) return std::nullopt;
  return FieldLayout{d->repeat, d->width};
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

}  // namespace kvb
