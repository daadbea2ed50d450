// Four Fw.3 fields of a record edited at once in vectors (AVX2): the data
// line's fields, as thousandths_fixed edits them one at a time, the
// scaling, the rounding and both table look-ups four lanes wide, each
// literal stored with the blanks after it. It took the largest run from
// 21.2 M to 17.9 M instructions (callgrind); fuzz_write checks the records
// against the model, field_test against write_fixed.
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "fast_paths.h"
#include "fixed_tables.h"

namespace kvb {

ThousandthsGroup thousandths_group(const int* w, const int* column, const char* literal) {
  ThousandthsGroup g{};
  for (int k = 0; k < 4; ++k) {
    const int whole_columns = w[k] - 4;
    g.three[k] = whole_columns == 3 ? -1 : 0;
    g.shift[k] = whole_columns == 3 ? 8 : 0;
    // Eight bytes from the literal's column cover the field's first seven,
    // which leaves none between them and the whole part (w < 16).
    g.lead[k] = literal[k] ? kEightBlanks << 8 | static_cast<unsigned char>(literal[k]) : kEightBlanks;
    g.lead_at[k] = column[k] - (literal[k] ? 1 : 0);
    g.whole_at[k] = column[k] + (whole_columns == 3 ? 0 : whole_columns - 4);
    g.decimals_at[k] = column[k] + whole_columns;
  }
  return g;
}

[[gnu::target("avx2")]] bool write_thousandths_wide(const float* v, const ThousandthsGroup& g, char* record) {
  auto lanes = [](const int* k) { return _mm_load_si128(reinterpret_cast<const __m128i*>(k)); };
  const __m128 values = _mm_loadu_ps(v);
  // Rounded as the conversion rounds, to nearest, halves to even; NaN,
  // infinities and huge values come out as INT32_MIN.
  const __m256d magnitudes = _mm256_andnot_pd(_mm256_set1_pd(-0.0), _mm256_cvtps_pd(values));
  const __m128i units = _mm256_cvtpd_epi32(_mm256_mul_pd(magnitudes, _mm256_set1_pd(1000)));
  const __m128i limit = _mm_set1_epi32(static_cast<int>(1000 * kWholeLimit));
  const __m128i fits = _mm_and_si128(_mm_cmpgt_epi32(limit, units), _mm_cmpgt_epi32(units, _mm_set1_epi32(-1)));
  // units / 1000, exact: 0.001 rounds up, and no quotient comes near the next integer.
  const __m128i whole =
      _mm_and_si128(fits, _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(units), _mm256_set1_pd(0.001))));
  const __m128i fraction = _mm_and_si128(fits, _mm_sub_epi32(units, _mm_mullo_epi32(whole, _mm_set1_epi32(1000))));
  // A negative value that shows as zero is zero.
  const __m128i zero = _mm_cmpeq_epi32(units, _mm_setzero_si128());
  const __m128i minus = _mm_andnot_si128(zero, _mm_srai_epi32(_mm_castps_si128(values), 31));
  const __m128i index = _mm_add_epi32(whole, _mm_and_si128(minus, _mm_set1_epi32(static_cast<int>(kWholeLimit))));
  __m128i texts = _mm_i32gather_epi32(reinterpret_cast<const int*>(kWholeParts.data()), index, 4);
  const __m128i tails = _mm_i32gather_epi32(reinterpret_cast<const int*>(kThousandths.data()), fraction, 4);
  // Three whole columns take the table's last three, when its first is
  // blank; more take all four, when the sign leaves room.
  const __m128i three = lanes(g.three);
  const __m128i first_blank = _mm_cmpeq_epi32(_mm_and_si128(texts, _mm_set1_epi32(0xFF)), _mm_set1_epi32(' '));
  const __m128i refused = _mm_blendv_epi8(_mm_cmpeq_epi32(texts, _mm_setzero_si128()),
                                          _mm_xor_si128(first_blank, _mm_set1_epi32(-1)), three);
  if (_mm_movemask_ps(_mm_castsi128_ps(_mm_andnot_si128(fits, _mm_set1_epi32(-1)))) |
      _mm_movemask_ps(_mm_castsi128_ps(refused)))
    return false;
  texts = _mm_srlv_epi32(texts, lanes(g.shift));
  alignas(16) std::uint32_t whole_text[4], tail_text[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(whole_text), texts);
  _mm_store_si128(reinterpret_cast<__m128i*>(tail_text), tails);
  for (int k = 0; k < 4; ++k) {
    std::memcpy(record + g.lead_at[k], &g.lead[k], 8);
    std::memcpy(record + g.whole_at[k], &whole_text[k], 4);
    std::memcpy(record + g.decimals_at[k], &tail_text[k], 4);
  }
  return true;
}

}  // namespace kvb
