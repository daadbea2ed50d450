#include "readers/identity.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "readers/numbers.h"
#include "readers/text.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// The fields of t, carried over, in UTC when utc, else as stated.
bool normalised(const StatedTime& t, bool utc, std::tm& out, int& millis) {
  if (t.year < 1900 || t.year > 2999 || !std::isfinite(t.second) || std::fabs(t.second) > 1e6) return false;
  const long long ms = std::llround(t.second * 1000);
  std::tm fields{};
  fields.tm_year = t.year - 1900;
  fields.tm_mon = t.month - 1;
  fields.tm_mday = t.day;
  fields.tm_hour = t.hour;
  fields.tm_min = t.minute - (utc ? t.offset_minutes : 0);
  fields.tm_sec = static_cast<int>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
  millis = static_cast<int>((ms % 1000 + 1000) % 1000);
  std::time_t seconds = timegm(&fields);
  return seconds != static_cast<std::time_t>(-1) && gmtime_r(&seconds, &out);
}

}  // namespace

int full_year(int year) {
  if (year >= 100) return year;
  return year >= 30 ? 1900 + year : 2000 + year;
}

std::string iso_date(int year, int month, int day) {
  StatedTime t;
  t.year = year, t.month = month, t.day = day;
  std::tm out{};
  int millis = 0;
  if (month < 1 || month > 12 || day < 1 || day > 31 || !normalised(t, true, out, millis) || out.tm_mday != day)
    return {};
  return utc_date(t);
}

std::string iso_time(const StatedTime& t) {
  std::tm out{};
  int millis = 0;
  if (!normalised(t, false, out, millis)) return {};
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", out.tm_year + 1900, out.tm_mon + 1,
                out.tm_mday, out.tm_hour, out.tm_min, out.tm_sec, millis);
  std::string zone = "Z";
  if (t.offset_minutes != 0) {
    const int m = std::abs(t.offset_minutes);
    char offset[32];
    std::snprintf(offset, sizeof offset, "%c%02d:%02d", t.offset_minutes < 0 ? '-' : '+', m / 60 % 100, m % 60);
    zone = offset;
  }
  return text + zone;
}

std::string utc_date(const StatedTime& t) {
  std::tm out{};
  int millis = 0;
  if (!normalised(t, true, out, millis)) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", out.tm_year + 1900, out.tm_mon + 1, out.tm_mday);
  return text;
}

std::optional<int> zone_offset(std::string_view word) {
  static const std::pair<std::string_view, int> zones[] = {
      {"utc", 0},     {"gmt", 0},     {"ut", 0},     {"z", 0},      {"pst", -480}, {"pdt", -420},
      {"mst", -420},  {"mdt", -360},  {"cst", -360}, {"cdt", -300}, {"est", -300}, {"edt", -240},
      {"akst", -540}, {"akdt", -480}, {"hst", -600}, {"jst", 540},  {"nzst", 720}, {"nzdt", 780},
  };
  const std::string w = lowered(word);
  for (const auto& [name, offset] : zones) {
    if (w == name) return offset;
  }
  return std::nullopt;
}

std::optional<StatedTime> us_time(std::string_view text) {
  std::size_t k = 0;
  auto blanks = [&] {
    while (k < text.size() && text[k] == ' ') ++k;
  };
  auto integer = [&](int& out) {
    blanks();
    std::size_t start = k;
    out = 0;
    while (k < text.size() && digit(text[k]) && k - start < 4) out = out * 10 + (text[k++] - '0');
    return k > start;
  };
  auto expect = [&](char c) {
    blanks();
    if (k >= text.size() || text[k] != c) return false;
    ++k;
    return true;
  };
  StatedTime t;
  if (!integer(t.month) || !expect('/') || !integer(t.day) || !expect('/') || !integer(t.year)) return std::nullopt;
  t.year = full_year(t.year);
  expect(',');
  if (!integer(t.hour) || !expect(':') || !integer(t.minute) || !expect(':')) return std::nullopt;
  blanks();
  std::size_t start = k;
  while (k < text.size() && (digit(text[k]) || text[k] == '.')) ++k;
  std::optional<double> second = parse_number(text.substr(start, k - start));
  blanks();
  start = k;
  while (k < text.size() && is_alpha(text[k])) ++k;
  std::optional<int> offset = zone_offset(text.substr(start, k - start));
  if (!second || !offset || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 24 || t.minute > 59 ||
      *second >= 61)
    return std::nullopt;
  t.second = *second;
  t.offset_minutes = *offset;
  return t;
}

std::optional<double> number_after_key(const std::vector<std::string>& lines, std::string_view key) {
  for (std::string_view line : lines) {
    std::size_t at = find_nocase(line, key);
    if (at == std::string_view::npos) continue;
    std::string_view rest = trim(line.substr(at + key.size()));
    if (!rest.empty() && (rest[0] == '=' || rest[0] == ':')) rest = trim(rest.substr(1));
    std::size_t end = 0;
    while (end < rest.size() && (digit(rest[end]) || rest[end] == '.' || (end == 0 && rest[end] == '-'))) ++end;
    return parse_number(rest.substr(0, end));
  }
  return std::nullopt;
}

std::optional<double> plausible_magnitude(std::optional<double> m) {
  if (m && *m > 0 && *m < 10) return m;
  return std::nullopt;
}

std::optional<std::pair<double, double>> band_corners(std::string_view text) {
  std::vector<double> numbers;
  std::string token;
  int depth = 0;
  auto flush = [&] {
    if (auto v = parse_number(token)) numbers.push_back(*v);
    token.clear();
  };
  for (char c : text) {
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth == 0 && (digit(c) || c == '.')) {
      token.push_back(c);
    } else {
      flush();
    }
  }
  flush();
  std::optional<std::pair<double, double>> band;
  if (numbers.size() == 2) band = std::pair{numbers[0], numbers[1]};
  if (numbers.size() == 4) band = std::pair{numbers[1], numbers[2]};
  if (band && !(band->first > 0 && band->first < band->second)) band.reset();
  return band;
}

namespace {

// text's words, split at blanks and commas.
std::vector<std::string_view> words_of(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find_first_of(" ,", at), text.size());
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

// The whole word as a number.
std::optional<double> whole_number(std::string_view word) {
  double value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

namespace {

// Degrees, negative towards south and west: "99.85157 LONG. W" -> -99.85157.
std::optional<double> signed_degrees(std::string_view text) {
  text = trim(text);
  std::size_t end = 0;
  while (end < text.size() && (digit(text[end]) || text[end] == '.' || (end == 0 && text[end] == '-'))) ++end;
  std::optional<double> value = parse_number(text.substr(0, end));
  if (!value) return std::nullopt;
  const std::size_t last = text.find_last_of(' ');
  const std::string_view word = end < text.size() && is_alpha(text[end])                    ? text.substr(end, 1)
                                : last != std::string_view::npos && last + 2 == text.size() ? text.substr(last + 1)
                                                                                            : std::string_view();
  const char hemisphere = word.empty() ? 'n' : lower(word[0]);
  if (std::string_view("nsew").find(hemisphere) == std::string_view::npos) return std::nullopt;
  return hemisphere == 's' || hemisphere == 'w' ? -*value : *value;
}

}  // namespace

std::optional<Coordinates> place_of(std::string_view latitude, std::string_view longitude) {
  std::optional<double> lat = signed_degrees(latitude), lon = signed_degrees(longitude);
  if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180) return std::nullopt;
  return Coordinates{*lat, *lon};
}

void set_place(Channel& ch, const std::optional<Coordinates>& place) {
  if (!place) return;
  ch.latitude = place->latitude;
  ch.longitude = place->longitude;
}

std::optional<Coordinates> coordinates_in(std::string_view text) {
  const std::vector<std::string_view> words = words_of(text);
  std::vector<std::pair<double, char>> found;  // degrees and hemisphere letter, in order
  for (std::size_t k = 0; k < words.size() && found.size() < 2; ++k) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(words[k].back())));
    if (words[k].size() < 2 || std::string_view("NSEW").find(letter) == std::string_view::npos) continue;
    auto value = whole_number(words[k].substr(0, words[k].size() - 1));
    if (!value || *value < 0) continue;
    // Degrees, minutes and seconds: two whole numbers before whole seconds.
    auto minutes = k >= 2 ? whole_number(words[k - 1]) : std::nullopt;
    auto degrees = k >= 2 ? whole_number(words[k - 2]) : std::nullopt;
    if (degrees && minutes && *value < 60 && *minutes < 60 && *minutes >= 0 && *degrees >= 0 &&
        *value == std::floor(*value) && *minutes == std::floor(*minutes))
      *value = *degrees + *minutes / 60 + *value / 3600;
    found.emplace_back(letter == 'S' || letter == 'W' ? -*value : *value, letter);
  }
  Coordinates c;
  if (found.size() == 2 && std::string_view("NS").find(found[0].second) != std::string_view::npos &&
      std::string_view("EW").find(found[1].second) != std::string_view::npos) {
    c = {found[0].first, found[1].first};
  } else {
    std::vector<double> signed_values;  // two decimals in a row
    for (std::string_view w : words) {
      auto value = w.find('.') != std::string_view::npos ? whole_number(w) : std::nullopt;
      if (!value) {
        signed_values.clear();
        continue;
      }
      signed_values.push_back(*value);
      if (signed_values.size() == 2) break;
    }
    if (signed_values.size() < 2) return std::nullopt;
    c = {signed_values[0], signed_values[1]};
  }
  if (std::fabs(c.latitude) > 90 || std::fabs(c.longitude) > 180) return std::nullopt;
  return c;
}

}  // namespace kvb
