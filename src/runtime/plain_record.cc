// The read statement's eight field reads done as one, for a record of eight
// plain 10-column fields (plain_field's): the same values, in order. Two
// layers: each field's ten columns classified at once (SSE2), and, where
// the processor has AVX2, two fields a 256-bit vector, with the point taken
// out by a byte shuffle instead of arithmetic. The AVX2 layer took the
// largest run from 26.5 M to 21.2 M instructions (callgrind), its fields
// from some 100 instructions each to 45; fuzz_field (plain records) checks
// both layers against the model and against each other, and so does
// field_test's table.
#include <emmintrin.h>
#include <immintrin.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "fast_paths.h"
#include "powers_of_ten.h"

// glibc's header is C: clang's C++ has no _Bool.
#define _Bool bool
#include <sys/platform/x86.h>
#undef _Bool

namespace kvb {
namespace {

constexpr int kPairs = kPlainRecordFields / 2;       // fields a vector: one in each 128-bit half
constexpr std::uint32_t kFieldColumns = 0x03FF03FF;  // a field's ten columns in each half's mask
constexpr std::uint32_t kFirstColumns = 0x00010001;
constexpr std::uint32_t kLastColumns = kFirstColumns << 9;

// For a point in column `at`: the shuffle that puts the field's nine other
// columns, in order, in bytes 7 to 15 of its half, zeros before them.
constexpr auto kWithoutPoint = [] {
  std::array<std::array<std::int8_t, 16>, 10> shuffles{};
  for (std::size_t at = 0; at < 10; ++at) {
    for (std::size_t k = 0; k < 7; ++k) shuffles[at][k] = -1;  // a zero byte
    for (std::size_t k = 0; k < 9; ++k) shuffles[at][7 + k] = static_cast<std::int8_t>(k < at ? k : k + 1);
  }
  return shuffles;
}();

// The columns of both fields where the bytes of m are all ones.
[[gnu::target("avx2")]] std::uint32_t columns(__m256i m) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(m)) & kFieldColumns;
}

// Four fields' values from their digits as numbers n, their decimals and
// their minus signs' columns (`half` picks the fields' half of each mask):
// one correctly rounded division each, then the rounding to single
// precision, and the sign; a field that holds no nonzero digit is +0.0,
// whatever its sign.
[[gnu::target("avx2")]] __m128 field_values(__m128i n, const int* decimals, __m128i minus, std::uint32_t half) {
  const __m256d divisors =
      _mm256_mask_i32gather_pd(_mm256_setzero_pd(), kPow10, _mm_load_si128(reinterpret_cast<const __m128i*>(decimals)),
                               _mm256_castsi256_pd(_mm256_set1_epi64x(-1)), 8);
  const __m128 magnitudes = _mm256_cvtpd_ps(_mm256_div_pd(_mm256_cvtepi32_pd(n), divisors));
  const __m128i plus =
      _mm_cmpeq_epi32(_mm_and_si128(minus, _mm_set1_epi32(static_cast<int>(half))), _mm_setzero_si128());
  const __m128 sign_bits = _mm_castsi128_ps(_mm_andnot_si128(plus, _mm_set1_epi32(INT32_MIN)));
  return _mm_add_ps(_mm_xor_ps(magnitudes, sign_bits), _mm_setzero_ps());
}

// read_plain_record's test and values for eight fields that each hold a
// point, in 256-bit vectors.
[[gnu::target("avx2")]] bool read_plain80_wide(const char* p, float* values) {
  __m256i digits[kPairs];
  // In the vectors' order, fields 0, 2, 4, 6, then 1, 3, 5, 7.
  alignas(16) int decimals[kPlainRecordFields];
  alignas(16) std::uint32_t minus[kPairs];  // the minus signs of both fields
  std::uint32_t bad = 0;
  for (int k = 0; k < kPairs; ++k) {
    const char* field = p + 20 * k;
    const __m256i v =
        _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(field + 10), reinterpret_cast<const __m128i*>(field));
    const __m256i t = _mm256_sub_epi8(v, _mm256_set1_epi8('0'));
    const __m256i digit = _mm256_cmpeq_epi8(_mm256_min_epu8(t, _mm256_set1_epi8(9)), t);
    const std::uint32_t nonblank = columns(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(' '))) ^ kFieldColumns;
    const std::uint32_t point = columns(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('.')));
    const __m256i minus_bytes = _mm256_cmpeq_epi8(v, _mm256_set1_epi8('-'));
    const std::uint32_t sign = columns(_mm256_or_si256(minus_bytes, _mm256_cmpeq_epi8(v, _mm256_set1_epi8('+'))));
    // read_plain10's test for both fields: only blanks, digits, signs and
    // points; exactly one point (a half without one borrows from the next
    // when one is taken from each); the nonblank columns in one run (one
    // start in each half, the point being one of them); a sign only there.
    const std::uint32_t starts = nonblank & ~(nonblank << 1);
    bad |= ((columns(digit) | point | sign) ^ nonblank) | ((point - kFirstColumns) & ~point & kLastColumns) |
           (point & (point - kFirstColumns)) | (starts & (starts - kFirstColumns)) | (sign & ~starts);
    minus[k] = columns(minus_bytes);
    // Column 9 stands in for a missing point, which the test refuses.
    const auto low_at = static_cast<unsigned>(std::countr_zero(point | 0x200u));
    const auto high_at = static_cast<unsigned>(std::countr_zero((point >> 16) | 0x200u));
    decimals[k] = 9 - static_cast<int>(low_at);
    decimals[k + kPairs] = 9 - static_cast<int>(high_at);
    const __m256i shuffle = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(kWithoutPoint[high_at].data()),
                                                reinterpret_cast<const __m128i*>(kWithoutPoint[low_at].data()));
    digits[k] = _mm256_shuffle_epi8(_mm256_and_si256(t, digit), shuffle);
  }
  if (bad != 0) return false;
  // Nine digits a half: pairs, fours, then the halves' sums.
  __m256i nines[kPairs];
  for (int k = 0; k < kPairs; ++k) {
    const __m256i pairs = _mm256_maddubs_epi16(digits[k], _mm256_set1_epi16(0x010A));
    const __m256i fours = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00010064));
    nines[k] = _mm256_mullo_epi32(fours, _mm256_setr_epi32(0, 100000000, 10000, 1, 0, 100000000, 10000, 1));
  }
  // [0 2 4 6 | 1 3 5 7]: each field's digits as one number below 10^9.
  const __m256i numbers =
      _mm256_hadd_epi32(_mm256_hadd_epi32(nines[0], nines[1]), _mm256_hadd_epi32(nines[2], nines[3]));
  const __m128i minus_columns = _mm_load_si128(reinterpret_cast<const __m128i*>(minus));
  const __m128 evens = field_values(_mm256_castsi256_si128(numbers), decimals, minus_columns, kFieldColumns & 0xFFFF);
  const __m128 odds =
      field_values(_mm256_extracti128_si256(numbers, 1), decimals + kPairs, minus_columns, kFieldColumns & ~0xFFFFu);
  _mm_storeu_ps(values, _mm_unpacklo_ps(evens, odds));
  _mm_storeu_ps(values + 4, _mm_unpackhi_ps(evens, odds));
  return true;
}

// plain_field for a 10-column field with a point, all ten columns
// classified at once (SSE2), its tests folded into one branch: it and the
// whole-record read took the data records from 17.0 M to 13.4 M
// instructions on the largest input (callgrind). fuzz_field (plain
// records) and fuzz_component check it against the model. Any other field
// is left to plain_field and the general read (false).
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
  const auto x = static_cast<std::int64_t>(a + 9 * (a % kWholePow10[9 - at]));
  // A field that holds no nonzero digit is +0.0, whatever its sign.
  const auto negative = static_cast<std::uint32_t>(minus != 0 && x != 0) << 31;
  value = std::bit_cast<float>(
      std::bit_cast<std::uint32_t>(static_cast<float>(static_cast<double>(x) / kPow10[10 - at])) | negative);
  return true;
}

}  // namespace

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
    std::optional<float> v = plain_field(p, 10, decimals[k]);
    if (!v) return false;
    values[k] = *v;
  }
  return true;
}

}  // namespace kvb
