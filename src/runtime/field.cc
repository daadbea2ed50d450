// Fixed-width fields: numeric input fields (E and F editing on input) and
// F editing on output.
#include "field.h"
#include "fixed_tables.h"
#include "powers_of_ten.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include <emmintrin.h>
// glibc's header is C: clang's C++ has no _Bool.
#define _Bool bool
#include <sys/platform/x86.h>
#undef _Bool

namespace kvb {
namespace {

constexpr int kMaxWidth = 255;  // widest field a format may give
constexpr int kEndOfRecord = -2;
constexpr int kEndOfFile = -1;
constexpr long long kExponentCap = 1000000000;  // beyond any finite value

bool is_digit(int c) { return c >= '0' && c <= '9'; }

constexpr std::uint64_t kPow10U64[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
constexpr std::uint32_t kPow10U32[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

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

// Fast path of read_general for the common field, read in one pass: all w
// columns present, holding leading blanks, a sign, digits with at most one
// point, trailing blanks. It exists for speed: field_bench reads such a
// field in 27 ns, the general walk an exponent field in 44 ns; fuzz_field
// holds it against the model. Any other field (embedded blanks, an exponent, a comma) is left
// to the general read (nullopt).
std::optional<float> read_plain(const char* p, int w, int d) {
  const char* const end = p + w;
  if (w >= 8) {
    // Leading blanks, eight columns at a glance: the first byte that is not
    // a blank is the lowest nonzero byte of the word XOR eight blanks.
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    word ^= 0x2020202020202020;
    if (std::endian::native == std::endian::little) p += word ? std::countr_zero(word) / 8 : 8;
  }
  while (p < end && *p == ' ') ++p;
  bool negative = p < end && *p == '-';
  p += p < end && (*p == '-' || *p == '+');

  std::uint64_t mantissa = 0;
  auto digit_run = [&] {  // digits one at a time
    for (unsigned digit; p < end && (digit = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9; ++p)
      mantissa = mantissa * 10 + digit;
  };
  digit_run();
  int scale = d;
  if (p < end && *p == '.') {
    const char* start = ++p;
    // The decimals, four at once while they last: (d0*10 + d1) and
    // (d2*10 + d3) side by side, then the pair of pairs.
    for (std::uint32_t four; std::endian::native == std::endian::little && end - p >= 4; p += 4) {
      std::memcpy(&four, p, 4);
      if ((four & 0xF0F0F0F0) != 0x30303030 || ((four + 0x06060606) & 0xF0F0F0F0) != 0x30303030) break;
      four -= 0x30303030;
      four = (four * 10 + (four >> 8)) & 0x00FF00FF;
      mantissa = mantissa * 10000 + (four & 0xFFFF) * 100 + (four >> 16);
    }
    digit_run();
    scale = static_cast<int>(p - start);
  }
  while (p < end && *p == ' ') ++p;
  if (p < end) return std::nullopt;

  if (mantissa == 0) return 0.0f;
  if (mantissa > (std::uint64_t{1} << 53) || scale < 0 || scale > 22) return std::nullopt;
  // One correctly rounded division, then the rounding to single precision.
  auto single = static_cast<float>(static_cast<double>(mantissa) / kPow10[scale]);
  return negative ? -single : single;
}

// Fast path of read_plain for a 10-column field with a point, all ten
// columns classified at once (SSE2), its tests folded into one branch: it
// and the whole-record read below took the data records from 17.0 M to
// 13.4 M instructions on the largest input (callgrind). fuzz_field (plain
// records) and fuzz_component check it against the model. Any other field
// is left to read_plain and the general read (false).
inline bool read_plain10(const char* p, float& value) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i t = _mm_sub_epi8(v, _mm_set1_epi8('0'));
  const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(9)), t);
  auto columns = [](__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)) & 0x3FF; };
  const unsigned nonblank = columns(_mm_cmpeq_epi8(v, _mm_set1_epi8(' '))) ^ 0x3FF;
  const unsigned point = columns(_mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
  const unsigned minus = columns(_mm_cmpeq_epi8(v, _mm_set1_epi8('-')));
  const unsigned sign = minus | columns(_mm_cmpeq_epi8(v, _mm_set1_epi8('+')));
  const unsigned first = nonblank & (0u - nonblank);
  // Only blanks, digits, signs and points; the nonblank columns in one run,
  // a sign only at its start, exactly one point.
  const unsigned bad = ((columns(digit) | point | sign) ^ nonblank) | ((nonblank + first) & nonblank) |
                       (sign & ~first) | (point & (point - 1));
  if (bad != 0 || point == 0) return false;
  // The digits as one number A, the point's column counting as a zero
  // digit: A = m * 10^j for the field's digits m. The digits after the point
  // are A's last 9 - point digits, and X = A + 9 * (those) is m * 10^(j+1):
  // X over 10^(10 - point) is m over 10^decimals, one exact quotient.
  const __m128i u = _mm_and_si128(t, digit);
  auto eight = static_cast<std::uint64_t>(_mm_cvtsi128_si64(u));
  eight = eight * 10 + (eight >> 8);
  const std::uint64_t pairs_1_3 = (eight & 0x000000FF000000FF) * (100 + (1000000ULL << 32));
  const std::uint64_t pairs_2_4 = ((eight >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32));
  eight = (pairs_1_3 + pairs_2_4) >> 32;
  const auto last_two = static_cast<unsigned>(_mm_extract_epi16(u, 4));
  const std::uint64_t a = eight * 100 + (last_two & 0xFF) * 10 + (last_two >> 8);
  const int at = std::countr_zero(point);
  const auto x = static_cast<std::int64_t>(a + 9 * (a % kPow10U64[9 - at]));
  // A field that holds no nonzero digit is +0.0, whatever its sign.
  const auto negative = static_cast<std::uint32_t>(minus != 0 && x != 0) << 31;
  value = std::bit_cast<float>(
      std::bit_cast<std::uint32_t>(static_cast<float>(static_cast<double>(x) / kPow10[10 - at])) | negative);
  return true;
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
  const auto width = static_cast<std::size_t>(w);
  if (w >= 1 && w <= 19 && rest.size() >= width) {
    if (auto v = read_plain(rest.data(), w, d)) return {FieldOutcome::kValue, *v, width};
  }
  return read_general(rest, end, w, d);
}

// The C library's own findings, made at start-up: libgcc's
// __builtin_cpu_supports asks the processor again, which took some 60 µs of
// a run under a hypervisor that traps each question.
bool wide_vectors() {
  static const bool wide = CPU_FEATURE_ACTIVE(AVX2);
  return wide;
}

// The statement's eight field reads done as one: the same values, in order;
// any field that is not plain leaves the whole record to the statement.
bool read_plain_record(const char* p, const int* decimals, float* values, Vectors vectors) {
  if (vectors == Vectors::kWidest && wide_vectors() && read_plain80_wide(p, values)) return true;
  for (int k = 0; k < kPlainRecordFields; ++k, p += 10) {
    if (read_plain10(p, values[k])) continue;
    std::optional<float> v = read_plain(p, 10, decimals[k]);
    if (!v) return false;
    values[k] = *v;
  }
  return true;
}

namespace {

// Blanks in out[0, w): two overlapping fixed-size stores for the usual
// widths, which the compiler turns into plain moves.
inline void fill_blanks(char* out, int w) {
  static constexpr char kBlanks[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  if (w >= 8 && w <= 16) {
    std::memcpy(out, kBlanks, 8);
    std::memcpy(out + w - 8, kBlanks, 8);
  } else if (w >= 4 && w < 8) {
    std::memcpy(out, kBlanks, 4);
    std::memcpy(out + w - 4, kBlanks, 4);
  } else {
    std::memset(out, ' ', static_cast<std::size_t>(std::max(w, 0)));
  }
}

// "00" "01" ... "99": two digits at a time.
constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t k = 0; k < 100; ++k) {
    pairs[2 * k] = static_cast<char>('0' + k / 10);
    pairs[2 * k + 1] = static_cast<char>('0' + k % 10);
  }
  return pairs;
}();

// Writes the decimal digits of n (at least one) so that they end at p;
// returns where they start.
template <typename U>
char* put_whole(U n, char* p) {
  for (; n >= 100; n /= 100) std::memcpy(p -= 2, &kDigitPairs[2 * (n % 100)], 2);
  if (n >= 10) std::memcpy(p -= 2, &kDigitPairs[2 * n], 2);
  else *--p = static_cast<char>('0' + n);
  return p;
}

// Fast path of write_fixed_text (the C library's "%#.*f", then the fitting
// into w columns) for a magnitude already scaled and rounded to the integer
// n (the value times 10^D): the digits are written from the right end of the
// field. It exists because F editing is the run's largest cost even so
// (callgrind: 11.9 M of 34.8 M instructions, some 90 a field, on the largest
// input); fuzz_field and fuzz_write hold it against the model.
template <int D, typename U>
void put_fixed(U n, bool minus, int w, char* out) {
  constexpr U kUnit = static_cast<U>(kPow10[D]);
  U whole = n / kUnit;
  if (n == 0) minus = false;  // a negative value that shows as zero is zero
  // Columns left for the whole part. Without one, the leading zero of a
  // value below 1 gives way; anything that does not fit is all asterisks.
  int room = w - (D + 1) - minus;
  if (room < 0 || (room < 10 ? whole >= kPow10U32[room] : room < 20 && static_cast<double>(whole) >= kPow10[room])) {
    std::memset(out, '*', static_cast<std::size_t>(std::max(w, 0)));
    return;
  }
  fill_blanks(out, w);
  auto fraction = static_cast<std::uint32_t>(n % kUnit);
  char* p = out + w - (D + 1);
  if constexpr (D == 3) {
    std::memcpy(p, &kThousandths[4 * fraction], 4);
  } else {
    for (int k = D; k > 0; --k, fraction /= 10) p[k] = static_cast<char>('0' + fraction % 10);
    *p = '.';
  }
  if (whole != 0 || room > 0) p = put_whole(whole, p);
  if (minus) p[-1] = '-';
}

// Any d, any magnitude, through the C library: the digit text with exactly
// d decimals and a point.
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
  double x = v;        // widened exactly
  bool minus = x < 0;  // negative zero and NaN note no sign
  double magnitude = std::fabs(x);
  if (d < 0 || d > 8) return write_fixed_text(magnitude, minus, w, d, out);
  double scaled = magnitude * kPow10[d];
  if (!(scaled < 0x1p52)) return write_fixed_text(magnitude, minus, w, d, out);
  // magnitude * 10^d is exact here (24 + 19 significant bits at most), and
  // adding and taking away 2^52 rounds it to an integer as the conversion
  // does: to nearest, halves to even.
  auto n = static_cast<std::uint64_t>((scaled + 0x1p52) - 0x1p52);
  if (n <= UINT32_MAX) {  // the usual case, in cheaper 32-bit arithmetic
    auto n32 = static_cast<std::uint32_t>(n);
    if (d == 3) return put_fixed<3>(n32, minus, w, out);
    if (d == 4) return put_fixed<4>(n32, minus, w, out);
  }
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

namespace {

// The eight decimal digits of n < 10^8 as the bytes of a word, the first
// digit in its lowest byte (the first in memory): the two halves of four
// digits, then their pairs, then single digits, side by side in one word.
inline std::uint64_t eight_digits(std::uint32_t n) {
  std::uint64_t x = (n / 10000) | std::uint64_t{n % 10000} << 32;
  std::uint64_t hundreds = ((x * 10486) >> 20) & 0x0000007F0000007F;  // each half over 100
  x = ((x - 100 * hundreds) << 16) + hundreds;                        // four pairs, 16 bits each
  std::uint64_t tens = ((x * 103) >> 10) & 0x000F000F000F000F;        // each pair over 10
  return ((x - 10 * tens) << 8) + tens;
}

constexpr std::uint64_t kEightBlanks = 0x2020202020202020;
constexpr std::uint64_t kEightZeros = 0x3030303030303030;

void store8(char* out, std::uint64_t word) { std::memcpy(out, &word, 8); }

// Fast path of write_fixed for the fields of a data line: all the digits of
// a value below 10^8 units of the last decimal made at once, in one word.
// With the whole-record editing it took F editing from 10.9 M to 8.7 M
// instructions of the largest run (callgrind); fuzz_field and fuzz_write
// hold it against the model. Anything else is write_fixed's.
[[gnu::always_inline]] inline void short_fixed(float v, int w, int d, char* out) {
  const double scaled = std::fabs(static_cast<double>(v)) * kPow10[d];
  // Rounded to an integer as the conversion rounds (to nearest, halves to
  // even); NaN, infinities and huge values come out as a negative number.
  const long long n = _mm_cvtsd_si64(_mm_set_sd(scaled));
  if (static_cast<unsigned long long>(n) >= 100000000) return write_fixed(v, w, d, out);
  // Leading zeros of the whole part give way to blanks, all but its last:
  // `lead` marks the bytes before the first digit shown.
  const std::uint64_t digits = eight_digits(static_cast<std::uint32_t>(n));
  const std::uint64_t shown = digits | std::uint64_t{1} << (8 * (7 - d));  // the units digit always
  const std::uint64_t lead = (shown & (0 - shown)) - 1;
  const int first = std::countr_zero(shown) / 8;
  const bool minus = v < 0 && n != 0;  // a negative value that shows as zero is zero
  const int whole_columns = w - d - 1;
  // The leading zero that must give way, or asterisks: write_fixed's.
  if (8 - d - first + minus > whole_columns) return write_fixed(v, w, d, out);
  const std::uint64_t text = digits | kEightZeros;
  const std::uint64_t word = text - (lead & 0x1010101010101010);  // '0' - ' ' is 0x10
  // The eight digits end one column left of the last, where the point goes;
  // the decimals follow the point. The first digit is in column w - 9.
  const int at = w - 9;
  if (at > 0) store8(out, kEightBlanks);
  if (at >= 0) store8(out + at, word);
  else store8(out, word >> (8 * -at));  // only blanks drop out
  store8(out + whole_columns, '.' | (text >> (8 * (7 - d)) >> 8) << 8);
  if (minus) out[at + first - 1] = '-';
}

// Fast path of short_fixed for the data line's fields, Fw.3 with 7 <= W <=
// 16: the whole part and its sign from one table, the decimals from
// another. It took F editing from 8.7 M to 5.3 M instructions of the largest
// run (callgrind); fuzz_field and fuzz_write hold it against the model. A
// whole part of 10^4 or more, or one that does not fit, is short_fixed's.
template <int W>
[[gnu::always_inline]] inline void thousandths_fixed(float v, char* out) {
  static_assert(W >= 7 && W <= 16);
  constexpr int kWholeColumns = W - 4;
  const long long n = _mm_cvtsd_si64(_mm_set_sd(std::fabs(static_cast<double>(v)) * 1000));
  if (static_cast<unsigned long long>(n) >= 1000 * kWholeLimit) return short_fixed(v, W, 3, out);
  const auto units = static_cast<std::uint32_t>(n);
  const std::uint32_t whole = units / 1000;
  // A negative value that shows as zero is zero.
  const std::uint32_t minus = (std::bit_cast<std::uint32_t>(v) >> 31) & (units != 0);
  std::uint32_t text = kWholeParts[whole + kWholeLimit * minus];
  // Three whole columns take the table's last three, when its first is blank.
  if (kWholeColumns == 3 ? (text & 0xFF) != ' ' : text == 0) return short_fixed(v, W, 3, out);
  store8(out, kEightBlanks);
  if constexpr (kWholeColumns == 3) {
    text >>= 8;
    std::memcpy(out, &text, 4);
  } else {
    std::memcpy(out + kWholeColumns - 4, &text, 4);
  }
  std::memcpy(out + kWholeColumns, &kThousandths[4 * (units - 1000 * whole)], 4);
}

}  // namespace

void write_fixed_short(float v, int w, int d, char* out) {
  // The data line's fields spelled out, so that each gets code of its own.
  if (d == 3 && w == 10) return thousandths_fixed<10>(v, out);
  if (d == 3 && w == 7) return thousandths_fixed<7>(v, out);
  short_fixed(v, w, d, out);
}

}  // namespace kvb
