#include "readers/csmip_descriptor.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "readers/field_format.h"
#include "readers/numbers.h"
#include "readers/text.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

constexpr long kMaxPoints = 10'000'000;
constexpr std::size_t kWidestField = 40;  // columns of a value in a data line

std::size_t skip_blanks(std::string_view s, std::size_t i) {
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}

// Reads the leading point count; returns the position after it, or npos.
std::size_t leading_count(std::string_view s, long& count) {
  std::size_t i = skip_blanks(s, 0);
  std::size_t start = i;
  count = 0;
  while (i < s.size() && is_digit(s[i])) {
    if (count > kMaxPoints) return std::string_view::npos;
    count = count * 10 + (s[i] - '0');
    ++i;
  }
  return i == start ? std::string_view::npos : i;
}

// The number that ends right before position end (blanks between allowed):
// "spaced at  .005 sec" with end at "sec" -> 0.005.
std::optional<double> number_before(std::string_view s, std::size_t end) {
  std::size_t stop = end;
  while (stop > 0 && s[stop - 1] == ' ') --stop;
  std::size_t start = stop;
  bool digit = false;
  while (start > 0 && (is_digit(s[start - 1]) || s[start - 1] == '.')) {
    digit = digit || is_digit(s[start - 1]);
    --start;
  }
  if (!digit) return std::nullopt;
  std::string text(s.substr(start, stop - start));
  char* rest = nullptr;
  double v = std::strtod(text.c_str(), &rest);
  if (*rest != '\0' || !std::isfinite(v) || v <= 0.0) return std::nullopt;
  return v;
}

// The first number directly followed by one of the units, as in "200 pts/sec".
std::optional<double> number_with_unit(std::string_view s, std::initializer_list<std::string_view> units) {
  for (std::string_view unit : units) {
    for (std::size_t at = s.find(unit); at != std::string_view::npos; at = s.find(unit, at + 1)) {
      bool word_start = at == 0 || !is_alpha(s[at - 1]);
      bool word_end = at + unit.size() == s.size() || !is_alpha(s[at + unit.size()]);
      if (!word_start || !word_end) continue;
      if (auto v = number_before(s, at)) return v;
    }
  }
  return std::nullopt;
}

}  // namespace

bool is_accel_descriptor(std::string_view line) {
  long count = 0;
  std::size_t i = leading_count(line, count);
  if (i == std::string_view::npos) return false;
  std::string_view rest = line.substr(skip_blanks(line, i));
  return starts_with_nocase(rest, "points of accel") || starts_with_nocase(rest, "accelerogram points");
}

std::optional<DataLayout> parse_layout(std::string_view text) {
  for (std::size_t open = text.find('('); open != std::string_view::npos; open = text.find('(', open + 1)) {
    std::optional<EditDescriptor> d = parse_edit_descriptor(text, open + 1, {3, false});
    if (!d || d->code == 'i' || d->width > kWidestField || d->decimals > d->width) continue;
    return DataLayout{static_cast<int>(d->repeat), static_cast<int>(d->width), static_cast<int>(d->decimals), true};
  }
  return std::nullopt;
}

std::optional<Descriptor> parse_descriptor(std::string_view line, std::string& why) {
  Descriptor d;
  if (leading_count(line, d.points) == std::string_view::npos || d.points <= 0) {
    why = "the point count is missing, zero or too large";
    return std::nullopt;
  }
  std::string text = lowered(line);
  if (auto rate = number_with_unit(text, {"pts/sec", "samples/sec", "sps"})) {
    d.interval = 1.0 / *rate;
  } else if (auto interval = number_with_unit(text, {"sec", "s"})) {
    d.interval = *interval;
  } else {
    why = "no sample interval (\"at .005 sec\" or \"at 200 pts/sec\")";
    return std::nullopt;
  }
  if (line.find('(') != std::string_view::npos) {
    if (auto layout = parse_layout(line)) d.layout = *layout;
  }
  return d;
}

}  // namespace kvb
