// Fixed-width fields: the text of one input field to a value, and a value
// to exactly w output columns. Bytes in, results out; no streams, no state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "record.h"

namespace kvb {

enum class FieldOutcome { kValue, kEndOfFile, kBadCharacter };

struct RealField {
  FieldOutcome outcome;
  float value;       // the value to store, when outcome is kValue
  std::size_t used;  // columns consumed from `rest`
};

// Reads one numeric input field of w columns with d implied decimals (Ew.d,
// Fw.d) from `rest`, the record from the current column on. Blanks are
// ignored, a comma ends the field early (and is consumed), the exponent may
// come without its letter ("1.0-03"). Past the end of `rest` the field meets
// the end of the record, or the end of the file when `end` says so; at the
// end of the file nothing is stored.
//   read_real("    1.2345", kLineFeed, 10, 4) -> 1.2345f, used 10
//   read_real("12,3", kLineFeed, 10, 4)        -> 0.0012f, used 3
RealField read_real(std::string_view rest, RecordEnd end, int w, int d);

// Eight numeric fields of 10 columns side by side from p, with d[k] implied
// decimals: when every one is a plain field (blanks, a sign, digits, at most
// one point) stores the eight values read_real gives and returns true; else
// stores nothing that counts and returns false. Reads 16 bytes from each
// field's start: 86 bytes from p must be readable.
// With Vectors::kNarrow it takes SSE2 alone, else the widest vectors the
// processor has.
constexpr int kPlainRecordFields = 8;
enum class Vectors { kWidest, kNarrow };
bool read_plain_record(const char* p, const int* d, float* values, Vectors vectors = Vectors::kWidest);

// read_plain_record's test and values for eight fields that each hold a
// point, in 256-bit vectors: only where the processor has AVX2.
bool read_plain80_wide(const char* p, float* values);

// Converts decimal significant digits times 10^exponent to single precision
// the way the run-time does: correctly rounded to double first, then rounded
// to float (ties to even). Rounding twice is deliberate; it is what stored
// samples were made with.
float decimal_to_float(bool negative, std::string_view digits, long long exponent);

// Writes v into exactly w columns with d decimals (Fw.d): right-justified,
// no plus sign, no minus sign on a value that shows as zero, w asterisks
// when it does not fit.
//   write_fixed(12.3456f, 10, 3, out) -> "    12.346"
//   write_fixed(-0.0004f, 7, 3, out)  -> "  0.000"
void write_fixed(float v, int w, int d, char* out);

// write_fixed for the fields that short_fixed_field allows, the same
// columns, made faster; it may store up to kFixedSlack bytes past out + w.
constexpr bool short_fixed_field(int w, int d) { return d >= 1 && d <= 7 && w >= d + 2 && w <= 16; }
constexpr std::size_t kFixedSlack = 8;
void write_fixed_short(float v, int w, int d, char* out);

// Whether the processor has AVX2, for the paths that need it.
bool wide_vectors();

// Four Fw.3 fields of 7 to 15 columns side by side in a record, each after
// at most one literal byte, edited at once where wide_vectors(): a group
// says where each one and its literal go.
constexpr bool thousandths_field(int w, int d) { return d == 3 && w >= 7 && w <= 15; }
struct ThousandthsGroup {
  alignas(16) int three[4];  // -1 for a field of three whole columns
  alignas(16) int shift[4];  // 8 there: the table's first byte is not shown
  std::uint64_t lead[4];     // the literal, if any, and blanks
  int lead_at[4];            // where they go
  int whole_at[4];           // where the whole part goes
  int decimals_at[4];        // where the point and the decimals go
};
// For fields of widths w[k] from columns column[k], after literal[k] (0
// for none).
ThousandthsGroup thousandths_group(const int* w, const int* column, const char* literal);
// Edits v[0..3] and their literals into `record` as write_fixed_short
// would, storing up to one byte past a field of 7 columns without a
// literal after it; false, with their columns spoiled, when one of them is
// not for this path.
bool write_thousandths_wide(const float* v, const ThousandthsGroup& g, char* record);

}  // namespace kvb
