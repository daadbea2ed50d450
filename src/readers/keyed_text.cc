#include "readers/keyed_text.h"

#include <cmath>

#include "readers/field_format.h"
#include "readers/numbers.h"
#include "readers/text.h"

namespace kvb {

std::optional<KeyedLine> keyed(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  KeyedLine k{trim(line.substr(0, colon)), trim(line.substr(colon + 1))};
  if (k.key.empty()) return std::nullopt;
  return k;
}

std::optional<std::string_view> value_of(const std::vector<std::string>& lines, std::string_view key, std::size_t* at) {
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::optional<KeyedLine> kv = keyed(lines[k]);
    if (kv && kv->key.size() == key.size() && starts_with_nocase(kv->key, key)) {
      if (at) *at = k;
      return kv->value;
    }
  }
  return std::nullopt;
}

bool read_words(std::string_view line, std::vector<double>& values, std::string& why) {
  // A loop of its own: find_first_of(" \t") calls memchr for each character.
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  for (std::size_t at = 0;;) {
    while (at < line.size() && blank(line[at])) ++at;
    if (at == line.size()) return true;
    std::size_t end = at;
    while (end < line.size() && !blank(line[end])) ++end;
    const std::string_view word = line.substr(at, end - at);
    std::optional<double> v = parse_number(word);
    if (!v) {
      why = "not a number: " + quoted(word.substr(0, 40));
      return false;
    }
    values.push_back(*v);
    at = end;
  }
}

void read_columns(TextFile& file, std::vector<std::vector<double>>& columns, std::vector<long>* lines,
                  std::size_t width) {
  std::string_view line;
  std::string why;
  std::vector<double> values;
  while (file.next(line)) {
    values.clear();
    if (width > 0 ? read_fields(line, width, columns.size(), values, why) < 0 : !read_words(line, values, why))
      file.fail(why);
    if (values.empty()) continue;
    if (values.size() != columns.size()) {
      file.fail(std::to_string(values.size()) + " numbers on a data line of " + std::to_string(columns.size()) +
                " columns");
    }
    for (std::size_t k = 0; k < values.size(); ++k) columns[k].push_back(values[k]);
    if (lines) lines->push_back(file.line_number());
  }
}

std::size_t stated_width(std::string_view layout, std::size_t per_line) {
  std::optional<FieldLayout> f = parse_field_format("(" + std::string(trim(layout)) + ")");
  return f && f->per_line == per_line ? f->width : 0;
}

void check_stated_count(const TextFile& file, long line, std::size_t stated, std::size_t read) {
  if (stated != read) {
    file.fail_at(line,
                 "the header counts " + std::to_string(stated) + " samples, the data hold " + std::to_string(read));
  }
}

std::optional<StatedTime> clock_time(std::string_view text, std::string_view order) {
  StatedTime t;
  std::size_t at = 0;
  for (char field : order) {
    while (at < text.size() && !is_digit(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && is_digit(text[end])) ++end;
    if (field == 's' && end + 1 < text.size() && text[end] == '.' && is_digit(text[end + 1])) {
      for (++end; end < text.size() && is_digit(text[end]);) ++end;
    }
    if (end == at || end - at > 12) return std::nullopt;
    std::optional<double> v = parse_number(text.substr(at, end - at));
    if (!v || *v >= 1e6) return std::nullopt;  // no field of a date or a time is larger
    const int whole = static_cast<int>(*v);
    switch (field) {
      case 'y': t.year = whole; break;
      case 'm': t.month = whole; break;
      case 'd': t.day = whole; break;
      case 'h': t.hour = whole; break;
      case 'n': t.minute = whole; break;
      case 's': t.second = *v; break;
    }
    at = end;
  }
  if (t.year < 1900 || t.year > 2999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
      t.hour > 23 || t.minute < 0 || t.minute > 59 || !(t.second >= 0 && t.second < 61)) {
    return std::nullopt;
  }
  return t;
}

void set_start(Channel& ch, const StatedTime& t) {
  const long millis = std::lround(t.second * 1000);
  const long seconds = millis >= 0 ? millis / 1000 : -((999 - millis) / 1000);  // rounded down
  ch.start_time = civil_time(t.year, t.month, t.day, t.hour, t.minute, static_cast<int>(seconds),
                             static_cast<int>(millis - seconds * 1000));
  ch.start_iso = iso_time(t);
}

}  // namespace kvb
