#include "data_fields.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Columns [begin, begin+width) of line; columns past its end read as blanks.
std::string_view column_field(std::string_view line, std::size_t begin, std::size_t width) {
  if (begin >= line.size()) return {};
  return line.substr(begin, width);
}

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

std::optional<std::string> field_number(std::string_view field, int decimals, std::string& why) {
  std::size_t b = field.find_first_not_of(' ');
  if (b == std::string_view::npos) {
    why = "blank field";
    return std::nullopt;
  }
  std::string_view s = field.substr(b, field.find_last_not_of(' ') - b + 1);
  auto bad = [&] {
    why = "\"" + std::string(s) + "\" is not a number";
    return std::nullopt;
  };

  // [sign] digits [. digits] as the mantissa, then an optional exponent:
  // E, e, D or d with an optional sign, or a sign alone ("1.0-03").
  std::size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  std::size_t digits_start = i;
  while (i < s.size() && is_digit(s[i])) ++i;
  std::size_t point = std::string_view::npos;
  if (i < s.size() && s[i] == '.') {
    point = i++;
    while (i < s.size() && is_digit(s[i])) ++i;
  }
  std::size_t mantissa_end = i;
  std::size_t digit_count = mantissa_end - digits_start - (point == std::string_view::npos ? 0 : 1);
  if (digit_count == 0) return bad();
  if (i < s.size()) {
    if (std::string_view("EeDd").find(s[i]) != std::string_view::npos) {
      ++i;
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    } else if (s[i] == '+' || s[i] == '-') {
      ++i;
    } else {
      return bad();
    }
    std::size_t exp_start = i;
    while (i < s.size() && is_digit(s[i])) ++i;
    if (i == exp_start || i != s.size()) return bad();
  }
  if (point != std::string_view::npos) return std::string(s);

  // No point: place one so that the value keeps its implied decimals.
  std::string sign(s.substr(0, digits_start));
  std::string digits(s.substr(digits_start, mantissa_end - digits_start));
  std::string exponent(s.substr(mantissa_end));
  std::size_t d = static_cast<std::size_t>(decimals);
  if (digits.size() < d) digits.insert(0, d - digits.size(), '0');
  digits.insert(digits.size() - d, 1, '.');
  return sign + digits + exponent;
}

bool DataWriter::add_line(std::string_view line, int count, std::string& why) {
  const std::size_t width = static_cast<std::size_t>(layout_.width);
  const bool copy_layout = layout_.width == kOutWidth && layout_.per_line == kOutPerLine;
  bool changed = false;
  std::vector<std::string> values;
  for (int k = 0; k < layout_.per_line; ++k) {
    std::string_view field = column_field(line, static_cast<std::size_t>(k) * width, width);
    if (k >= count) {
      if (!blank(field)) {
        why = "more values than the descriptor's point count (field " + std::to_string(k + 1) +
              " holds \"" + std::string(field) + "\")";
        return false;
      }
      continue;
    }
    std::string field_why;
    auto number = field_number(field, layout_.decimals, field_why);
    if (!number) {
      why = "field " + std::to_string(k + 1) + ": " + field_why;
      return false;
    }
    if (number->size() > static_cast<std::size_t>(kOutWidth)) {
      why = "field " + std::to_string(k + 1) + ": \"" + *number + "\" does not fit in " +
            std::to_string(kOutWidth) + " columns";
      return false;
    }
    changed = changed || field.find(*number) == std::string_view::npos;  // a point was added
    values.push_back(std::move(*number));
  }
  if (copy_layout && !changed && pending_.empty()) {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
    return true;
  }
  for (std::string& v : values) {
    pending_.push_back(std::move(v));
    if (pending_.size() == static_cast<std::size_t>(kOutPerLine)) flush_values();
  }
  return true;
}

void DataWriter::finish() {
  if (!pending_.empty()) flush_values();
}

void DataWriter::flush_values() {
  for (const std::string& v : pending_) std::fprintf(out_, "%*s", kOutWidth, v.c_str());
  std::fputc('\n', out_);
  pending_.clear();
}
