#include "trace.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kvb::trace {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool digit(char c) { return c >= '0' && c <= '9'; }

// A field as read-KVB writes one, from text[at] up to the byte that ends it:
// blanks, an optional minus, digits, a point and three digits; or asterisks,
// which read as NaN. A value of whole thousandths divided by 1000 is the
// nearest double to the decimal, as a parse of it would give. False for
// anything else.
bool field(std::string_view text, std::size_t& at, double& v) {
  const std::size_t first = at;
  while (at < text.size() && text[at] == '*') ++at;
  if (at > first) {
    v = kNaN;
    return true;
  }
  while (at < text.size() && text[at] == ' ') ++at;
  const bool minus = at < text.size() && text[at] == '-';
  at += minus;
  std::uint64_t thousandths = 0;
  int digits = 0;
  for (; at < text.size() && digit(text[at]); ++at, ++digits) {
    // Wider than any field read-KVB writes; below 10^15 thousandths are exact in a double.
    if (digits == 12) return false;
    thousandths = 10 * thousandths + std::uint64_t(text[at] - '0');
  }
  if (text.size() - at < 4 || text[at] != '.') return false;
  for (std::size_t k = at + 1; k < at + 4; ++k) {
    if (!digit(text[k])) return false;
    thousandths = 10 * thousandths + std::uint64_t(text[k] - '0');
  }
  at += 4;
  v = double(thousandths) / 1000;
  if (minus) v = -v;
  return true;
}

}  // namespace

std::optional<Csv> parse(std::string_view text, long& bad) {
  Csv csv;
  const std::size_t rows = text.size() / 40 + 1;  // read-KVB's lines are 40 bytes and their end
  csv.time.reserve(rows);
  for (auto& v : csv.value) v.reserve(rows);
  std::size_t at = 0;
  for (long number = 1; at < text.size(); ++number) {
    double v[4];
    bool ok = true;
    for (int k = 0; k < 4 && ok; ++k) ok = field(text, at, v[k]) && (k == 3 || (at < text.size() && text[at++] == ','));
    if (ok && at < text.size()) {  // the line's end: LF or CR LF, or the end of the text
      at += text[at] == '\r';
      ok = at < text.size() && text[at++] == '\n';
    }
    if (!ok) {
      bad = number;
      return std::nullopt;
    }
    csv.time.push_back(v[0]);
    for (int c = 0; c < 3; ++c) csv.value[c].push_back(v[c + 1]);
  }
  return csv;
}

Curve reduced(const std::vector<double>& time, const std::vector<double>& value, std::size_t columns) {
  auto gap = [&](std::size_t k) { return std::isnan(time[k]) || std::isnan(value[k]); };
  std::vector<std::size_t> shown;  // the samples drawn, where some are left out
  bool gaps = false;
  for (std::size_t k = 0; k < value.size() && !gaps; ++k) gaps = gap(k);
  for (std::size_t k = 0; gaps && k < value.size(); ++k) {
    if (!gap(k)) shown.push_back(k);
  }
  const std::size_t n = gaps ? shown.size() : value.size();
  auto sample = [&](std::size_t i) { return gaps ? shown[i] : i; };
  auto at = [&](std::size_t i) { return value[sample(i)]; };
  Curve out;
  auto keep = [&](std::size_t i) {
    out.time.push_back(time[sample(i)]);
    out.value.push_back(at(i));
  };
  if (columns == 0 || n <= 2 * columns) {
    for (std::size_t i = 0; i < n; ++i) keep(i);
    return out;
  }
  std::size_t next = 0;  // the first sample not yet kept or passed
  for (std::size_t c = 0; c < columns; ++c) {
    const std::size_t first = c * n / columns, end = (c + 1) * n / columns;
    std::size_t low = first, high = first;
    for (std::size_t i = first + 1; i < end; ++i) {
      if (at(i) < at(low)) low = i;
      if (at(i) > at(high)) high = i;
    }
    if (c == 0 && low != 0 && high != 0) keep(0);
    for (const std::size_t i : {std::min(low, high), std::max(low, high)}) {
      if (i >= next) keep(i), next = i + 1;
    }
  }
  if (next != n) keep(n - 1);
  return out;
}

std::optional<std::size_t> peak(const std::vector<double>& value) {
  std::optional<std::size_t> at;
  for (std::size_t k = 0; k < value.size(); ++k) {
    if (value[k] != 0 && !std::isnan(value[k]) && (!at || std::fabs(value[k]) > std::fabs(value[*at]))) at = k;
  }
  return at;
}

}  // namespace kvb::trace
