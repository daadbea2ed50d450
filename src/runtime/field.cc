// Fixed-width fields: numeric input fields (E and F editing on input) and
// F editing on output.
#include "field.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

namespace kvb {
namespace {

constexpr int kMaxWidth = 255;  // widest field a format may give
constexpr int kEndOfRecord = -2;
constexpr int kEndOfFile = -1;
constexpr long long kExponentCap = 1000000000;  // beyond any finite value

bool is_digit(int c) { return c >= '0' && c <= '9'; }

// Powers of ten that are exact in double precision.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

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

// The common field, read in one pass: all w columns present, holding only
// blanks, a leading sign, digits and one point. The value is the one the
// general read gives; anything else is left to it (nullopt).
std::optional<float> read_plain(const char* p, int w, int d) {
  std::uint64_t mantissa = 0;
  int seen = 0;      // characters other than blanks
  int decimals = 0;  // digits after the point
  bool point = false, negative = false;
  for (int k = 0; k < w; ++k) {
    unsigned char c = static_cast<unsigned char>(p[k]);
    if (c == ' ') continue;
    ++seen;
    unsigned digit = c - static_cast<unsigned>('0');
    if (digit <= 9) {
      mantissa = mantissa * 10 + digit;
      decimals += point;
    } else if (c == '.' && !point) {
      point = true;
    } else if ((c == '-' || c == '+') && seen == 1) {
      negative = c == '-';
    } else {
      return std::nullopt;
    }
  }
  if (mantissa == 0) return 0.0f;
  int scale = point ? decimals : d;
  if (mantissa > (std::uint64_t{1} << 53) || scale > 22) return std::nullopt;
  // One correctly rounded division, then the rounding to single precision.
  auto single = static_cast<float>(static_cast<double>(mantissa) / kPow10[scale]);
  return negative ? -single : single;
}

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

RealField read_real(std::string_view rest, RecordEnd end, int w, int d) {
  if (w <= 19 && rest.size() >= static_cast<std::size_t>(w)) {
    if (auto v = read_plain(rest.data(), w, d)) return {FieldOutcome::kValue, *v, static_cast<std::size_t>(w)};
  }
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

// Fw.D for a magnitude already scaled and rounded to the integer n (the
// value times 10^D): the digits are written from the right end of the field.
template <int D>
void put_fixed(std::uint64_t n, bool minus, int w, char* out) {
  constexpr std::uint64_t kUnit = static_cast<std::uint64_t>(kPow10[D]);
  std::uint64_t whole = n / kUnit;
  int whole_digits = 1;
  for (std::uint64_t rest = whole; rest >= 10; rest /= 10) ++whole_digits;
  if (n == 0) minus = false;  // a negative value that shows as zero is zero
  int need = whole_digits + 1 + D + minus;
  if (need > w) {
    if (whole != 0 || need != w + 1) {
      std::memset(out, '*', static_cast<std::size_t>(std::max(w, 0)));
      return;
    }
    whole_digits = 0, --need;  // the leading zero gives way
  }
  char* p = out + w;
  std::uint64_t fraction = n % kUnit;
  for (int k = 0; k < D; ++k, fraction /= 10) *--p = static_cast<char>('0' + fraction % 10);
  *--p = '.';
  for (int k = 0; k < whole_digits; ++k, whole /= 10) *--p = static_cast<char>('0' + whole % 10);
  if (minus) *--p = '-';
  while (p > out) *--p = ' ';
}

void write_fixed(float v, int w, int d, char* out) {
  d = std::clamp(d, 0, kMaxWidth);
  double x = v;  // widened exactly
  bool minus = x < 0;  // negative zero and NaN note no sign
  double magnitude = std::fabs(x);

  double scaled = magnitude * kPow10[std::min(d, 8)];
  if (d <= 8 && scaled < 0x1p52) {
    // magnitude * 10^d is exact here (24 + 19 significant bits at most), and
    // adding and taking away 2^52 rounds it to an integer as the conversion
    // does: to nearest, halves to even.
    auto n = static_cast<std::uint64_t>((scaled + 0x1p52) - 0x1p52);
    switch (d) {
      case 0: return put_fixed<0>(n, minus, w, out);
      case 1: return put_fixed<1>(n, minus, w, out);
      case 2: return put_fixed<2>(n, minus, w, out);
      case 3: return put_fixed<3>(n, minus, w, out);
      case 4: return put_fixed<4>(n, minus, w, out);
      case 5: return put_fixed<5>(n, minus, w, out);
      case 6: return put_fixed<6>(n, minus, w, out);
      case 7: return put_fixed<7>(n, minus, w, out);
      default: return put_fixed<8>(n, minus, w, out);
    }
  }

  // Everything else through the C library: the digit text with exactly d
  // decimals and a point.
  char text[kMaxWidth + 64];
  int len = std::snprintf(text, sizeof text, "%#.*f", d, magnitude);
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

}  // namespace kvb
