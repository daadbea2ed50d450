// Fixed-width fields, as the rules have them: numeric input fields (E and
// F editing on input) and F editing on output. The fast paths that take
// the common fields first are in files of their own (fast_paths.h).
#include "field.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "fast_paths.h"
#include "format.h"
#include "powers_of_ten.h"

namespace kvb {
namespace {

constexpr int kEndOfRecord = -2;
constexpr int kEndOfFile = -1;
constexpr long long kExponentCap = 1000000000;  // beyond any finite value

// The columns of one field, taken one at a time. Each take uses up a
// column; past the record's bytes it yields the end of the record (or of
// the file) without consuming anything.
class Columns {
 public:
  Columns(std::string_view rest, RecordEnd end, int w) : rest_(rest), end_(end), left_(w) {}

  int take() {
    --left_;
    if (pos_ < rest_.size()) return static_cast<unsigned char>(rest_[pos_++]);
    if (end_ == RecordEnd::kLineFeed) return kEndOfRecord;
    hit_end_of_file_ = true;
    return kEndOfFile;
  }
  bool left() const { return left_ > 0; }
  bool hit_end_of_file() const { return hit_end_of_file_; }
  std::size_t used() const { return pos_; }

 private:
  std::string_view rest_;
  RecordEnd end_;
  int left_;
  std::size_t pos_ = 0;
  bool hit_end_of_file_ = false;
};

}  // namespace

float decimal_to_float(bool negative, std::string_view digits, long long exponent) {
  double value;
  if (digits.size() <= 15 && exponent >= -22 && exponent <= 22) {
    // Both operands are exact doubles, so one multiplication or division
    // rounds correctly.
    std::uint64_t mantissa = 0;
    for (char c : digits) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    value = static_cast<double>(mantissa);
    value = exponent < 0 ? value / kPow10[-exponent] : value * kPow10[exponent];
  } else {
    char text[kMaxWidth + 32];
    std::size_t n = std::min(digits.size(), static_cast<std::size_t>(kMaxWidth));
    std::memcpy(text, digits.data(), n);
    text[n++] = 'e';
    auto [end, ec] = std::to_chars(text + n, text + sizeof text, exponent);
    (void)ec;
    auto result = std::from_chars(text, end, value);
    if (result.ec == std::errc::result_out_of_range) {
      // The magnitude is 0.DIGITS times 10^(n + exponent): far above or far
      // below the range of double.
      value = static_cast<long long>(digits.size()) + exponent > 0 ? HUGE_VAL : 0.0;
    }
  }
  float single = static_cast<float>(value);
  return negative ? -single : single;
}

// The field read column by column, as the rules are written.
[[gnu::noinline]] static RealField read_general(std::string_view rest, RecordEnd end, int w, int d) {
  Columns col(rest, end, std::min(w, kMaxWidth));
  bool negative = false;
  char digits[kMaxWidth];
  std::size_t n = 0;
  long long adjust = -d;  // a written point cancels the implied decimals

  auto finish = [&](bool bad) -> RealField {
    if (col.hit_end_of_file()) return {FieldOutcome::kEndOfFile, 0.0f, col.used()};
    if (bad) return {FieldOutcome::kBadCharacter, 0.0f, col.used()};
    while (n > 0 && digits[n - 1] == '0') --n, ++adjust;
    // A field that holds no nonzero digit is +0.0, whatever its sign.
    if (n == 0) return {FieldOutcome::kValue, 0.0f, col.used()};
    return {FieldOutcome::kValue, decimal_to_float(negative, {digits, n}, adjust), col.used()};
  };

  // Leading blanks, a sign, blanks and zeros before the first digit that counts.
  int c = col.take();
  while (c == ' ' && col.left()) c = col.take();
  if (c == '+' || c == '-') {
    negative = c == '-';
    if (!col.left()) return finish(false);
    c = col.take();
  }
  while (c == ' ' || c == '0') {
    if (!col.left()) return finish(false);
    c = col.take();
  }

  // Digits before the point; blanks among them are ignored.
  while (is_digit(c) || c == ' ') {
    if (c != ' ') digits[n++] = static_cast<char>(c);
    if (!col.left()) return finish(false);
    c = col.take();
  }

  if (c == '.') {
    adjust += d;
    if (!col.left()) return finish(false);
    c = col.take();
    if (n == 0) {
      // Zeros right after the point only move the exponent.
      while (c == '0' || c == ' ') {
        if (c == '0') --adjust;
        if (!col.left()) return finish(false);
        c = col.take();
      }
    }
    while (is_digit(c) || c == ' ') {
      if (c != ' ') digits[n++] = static_cast<char>(c), --adjust;
      if (!col.left()) return finish(false);
      c = col.take();
    }
  }

  if (c == kEndOfRecord || c == ',') return finish(false);
  bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
  if (!letter && c != '+' && c != '-') return finish(true);

  // The exponent: a letter with an optional sign, or a sign alone.
  bool exponent_negative = c == '-';
  if (!col.left()) return finish(true);
  c = col.take();
  if (letter) {
    while (c == ' ') {
      if (!col.left()) return finish(true);
      c = col.take();
    }
    if (c == '+' || c == '-') {
      exponent_negative = c == '-';
      if (!col.left()) return finish(true);
      c = col.take();
    }
  }
  while (c == ' ') {
    if (!col.left()) return finish(true);
    c = col.take();
  }
  if (!is_digit(c)) return finish(true);
  long long exponent = c - '0';
  int ender = kEndOfRecord;  // running out of columns ends it like the record's end
  while (col.left()) {
    c = col.take();
    if (is_digit(c)) {
      exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
    } else if (c != ' ') {
      ender = c;
      break;
    }
  }
  if (ender != kEndOfRecord && ender != ',') return finish(true);
  adjust += exponent_negative ? -exponent : exponent;
  return finish(false);
}

RealField read_real(std::string_view rest, RecordEnd end, int w, int d) {
  if constexpr (kFastPaths) {
    const auto width = static_cast<std::size_t>(w);
    if (w >= 1 && w <= 19 && rest.size() >= width) {
      if (auto v = plain_field(rest.data(), w, d)) return {FieldOutcome::kValue, *v, width};
    }
  }
  return read_general(rest, end, w, d);
}

namespace {

// The digit text with exactly d decimals and a point, as the C library's
// "%#.*f" makes it, fitted into w columns.
[[gnu::noinline]] void write_fixed_text(double magnitude, bool minus, int w, int d, char* out) {
  char text[kMaxWidth + 64];
  int len = std::snprintf(text, sizeof text, "%#.*f", std::clamp(d, 0, kMaxWidth), magnitude);
  if (std::strspn(text, "0.") == static_cast<std::size_t>(len)) minus = false;
  const char* digits = text;
  int need = len + (minus ? 1 : 0);
  if (need > w) {
    if (digits[0] != '0' || need != w + 1) {
      std::memset(out, '*', static_cast<std::size_t>(std::max(w, 0)));
      return;
    }
    ++digits, --len, --need;  // the leading zero gives way
  }
  int pad = w - need;
  std::memset(out, ' ', static_cast<std::size_t>(pad));
  if (minus) out[pad++] = '-';
  std::memcpy(out + pad, digits, static_cast<std::size_t>(len));
}

}  // namespace

void write_fixed(float v, int w, int d, char* out) {
  if constexpr (kFastPaths) {
    if (fixed_digits(v, w, d, out)) return;
  }
  double x = v;  // widened exactly; negative zero and NaN note no sign
  write_fixed_text(std::fabs(x), x < 0, w, d, out);
}

}  // namespace kvb
