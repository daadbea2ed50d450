#include "readers/text_fields.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "readers/numbers.h"
#include "readers/text.h"
#include "readers/text_file.h"
#include "record/channel.h"
#include "record/split_error.h"

namespace kvb {

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
  return find_nocase(text.substr(0, prefix.size()), prefix) == 0;
}

std::size_t find_nocase(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return std::string_view::npos;
  for (std::size_t at = 0; at + needle.size() <= text.size(); ++at) {
    std::size_t k = 0;
    while (k < needle.size() && lower(text[at + k]) == lower(needle[k])) ++k;
    if (k == needle.size()) return at;
  }
  return std::string_view::npos;
}

std::string_view trim(std::string_view text) {
  auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string quoted(std::string_view text) { return "'" + escaped(text) + "'"; }

int read_fields(std::string_view line, std::size_t width, std::size_t count, std::vector<double>& values,
                std::string& why) {
  int read = 0;
  bool ended = false;
  for (std::size_t k = 0; k < count; ++k) {
    std::string_view field = columns(line, 1 + k * width, width);
    if (is_blank(field)) {
      ended = true;
      continue;
    }
    auto value = parse_number(field);
    if (ended || !value) {
      why = (ended ? "value after a blank field: " : "not a number: ") + quoted(field);
      return -1;
    }
    values.push_back(*value);
    ++read;
  }
  if (line.size() > count * width && !is_blank(line.substr(count * width))) {
    why = "more than " + std::to_string(count) + " fields of " + std::to_string(width) + " columns";
    return -1;
  }
  return read;
}

void check_integers(const TextFile& file, long line, const std::vector<double>& values, std::size_t from,
                    std::size_t to) {
  for (std::size_t k = from; k < to && k < values.size(); ++k) {
    const double v = values[k];
    if (v == std::floor(v) && std::fabs(v) < 1e9) continue;
    char text[64];
    std::snprintf(text, sizeof text, "%g", v);
    file.fail_at(line, "integer header value " + std::to_string(k + 1) + " is " + text +
                           ", not a whole number of at most nine digits");
  }
}

double checked_interval(const TextFile& file, long line, double seconds) {
  if (!(std::isfinite(seconds) && seconds >= kShortestInterval && seconds <= kLongestInterval)) {
    char text[64];
    std::snprintf(text, sizeof text, "%g s", seconds);
    file.fail_at(line, "the sample interval " + std::string(text) + " is not between 1 µs and 10 s");
  }
  return seconds;
}

std::size_t checked_count(const TextFile& file, long line, double value, std::string_view what, double least,
                          double most) {
  std::optional<long long> bytes = file.size();
  if (bytes && static_cast<double>(*bytes) < most) most = std::max(least, static_cast<double>(*bytes));
  if (!(std::isfinite(value) && value == std::floor(value) && value >= least && value <= most)) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    file.fail_at(line, "the " + std::string(what) + " " + text + " is not a whole number from " +
                           std::to_string(static_cast<long long>(least)) + " to " +
                           std::to_string(static_cast<long long>(most)));
  }
  return static_cast<std::size_t>(value);
}

void read_lines(TextFile& file, std::size_t count, std::vector<std::string>& lines, std::string_view inside) {
  std::string line;
  while (lines.size() < count) {
    if (!file.next(line)) file.fail("the file ends inside " + std::string(inside));
    lines.push_back(line);
  }
}

Channel start_channel(TextFile& file, std::string_view format, std::size_t count) {
  Channel ch;
  ch.source = file.path();
  ch.line = file.line_number() + 1;
  ch.format = format;
  read_lines(file, count, ch.header_lines, "the header");
  return ch;
}

Channel channel_from(const TextFile& file, std::string_view format, int number, const std::string& first) {
  Channel ch;
  ch.source = file.path();
  ch.line = file.line_number();
  ch.format = format;
  ch.number = std::to_string(number);
  ch.header_lines.push_back(first);
  return ch;
}

bool read_block(TextFile& file, std::size_t width, std::size_t per_line, std::size_t count,
                const std::function<void(double)>& each, std::vector<std::string>* lines) {
  std::size_t read = 0;
  std::string line, why;
  std::vector<double> values;
  while (read < count) {
    if (!file.next(line) || (!line.empty() && line.find_first_not_of('\0') == std::string::npos)) { return false; }
    values.clear();
    if (read_fields(line, width, per_line, values, why) < 0) file.fail(why);
    read += values.size();
    if (read > count) file.fail("values past the " + std::to_string(count) + " the header counts");
    for (double v : values) each(v);
    if (lines) lines->push_back(line);
  }
  return true;
}

std::string civil_time(int year, int month, int day, int hour, int minute, int second, int millis) {
  if (year < 1900 || year > 2999) return {};
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second + (millis > 0 ? millis / 1000 : 0);
  std::time_t t = timegm(&fields);
  std::tm out{};
  if (t == static_cast<std::time_t>(-1) || !gmtime_r(&t, &out)) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", out.tm_year + 1900, out.tm_mon + 1, out.tm_mday,
                out.tm_hour, out.tm_min, out.tm_sec);
  std::string result = text;
  if (millis >= 0) {
    std::snprintf(text, sizeof text, ".%03d", millis % 1000);  // whole seconds carried above
    result += text;
  }
  return result;
}

}  // namespace kvb
