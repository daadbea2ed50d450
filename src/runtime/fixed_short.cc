// F editing of the data line's fields from the integer digits, not through
// the C library's "%#.*f" that write_fixed_text (field.cc) takes. Three
// layers: any field of at most 8 decimals whose value is below 2^52 units
// of its last decimal (fixed_digits); every digit of a value below 10^8
// units at once in one word (short_fixed); Fw.3 from two tables
// (thousandths_fixed). F editing was the run's largest cost even so
// (callgrind: 11.9 M of 34.8 M instructions, some 90 a field, on the
// largest input, before the two last); fuzz_field and fuzz_write hold
// every layer against the model.
#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fast_paths.h"
#include "field.h"
#include "fixed_tables.h"
#include "powers_of_ten.h"

namespace kvb {
namespace {

// Blanks in out[0, w): two overlapping fixed-size stores for the usual
// widths, which the compiler turns into plain moves.
inline void fill_blanks(char* out, int w) {
  if (w >= 8 && w <= 16) {
    std::memcpy(out, &kEightBlanks, 8);
    std::memcpy(out + w - 8, &kEightBlanks, 8);
  } else if (w >= 4 && w < 8) {
    std::memcpy(out, &kEightBlanks, 4);
    std::memcpy(out + w - 4, &kEightBlanks, 4);
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

// fixed_digits for a magnitude already scaled and rounded to the integer n
// (the value times 10^D): the digits are written from the right end of the
// field.
template <int D, typename U>
void put_fixed(U n, bool minus, int w, char* out) {
  constexpr U kUnit = static_cast<U>(kPow10[D]);
  U whole = n / kUnit;
  if (n == 0) minus = false;  // a negative value that shows as zero is zero
  // Columns left for the whole part. Without one, the leading zero of a
  // value below 1 gives way; anything that does not fit is all asterisks.
  int room = w - (D + 1) - minus;
  if (room < 0 || (room < 10 ? whole >= kWholePow10[room] : room < 20 && static_cast<double>(whole) >= kPow10[room])) {
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

}  // namespace

bool fixed_digits(float v, int w, int d, char* out) {
  double x = v;        // widened exactly
  bool minus = x < 0;  // negative zero and NaN note no sign
  if (d < 0 || d > 8) return false;
  double scaled = std::fabs(x) * kPow10[d];
  if (!(scaled < 0x1p52)) return false;
  // magnitude * 10^d is exact here (24 + 19 significant bits at most), and
  // adding and taking away 2^52 rounds it to an integer as the conversion
  // does: to nearest, halves to even.
  auto n = static_cast<std::uint64_t>((scaled + 0x1p52) - 0x1p52);
  if (n <= UINT32_MAX) {  // the usual case, in cheaper 32-bit arithmetic
    auto n32 = static_cast<std::uint32_t>(n);
    if (d == 3) return put_fixed<3>(n32, minus, w, out), true;
    if (d == 4) return put_fixed<4>(n32, minus, w, out), true;
  }
  switch (d) {
    case 0: put_fixed<0>(n, minus, w, out); break;
    case 1: put_fixed<1>(n, minus, w, out); break;
    case 2: put_fixed<2>(n, minus, w, out); break;
    case 3: put_fixed<3>(n, minus, w, out); break;
    case 4: put_fixed<4>(n, minus, w, out); break;
    case 5: put_fixed<5>(n, minus, w, out); break;
    case 6: put_fixed<6>(n, minus, w, out); break;
    case 7: put_fixed<7>(n, minus, w, out); break;
    default: put_fixed<8>(n, minus, w, out); break;
  }
  return true;
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
