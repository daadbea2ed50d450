// The fast paths: the same fields and records as the rules of field.h give,
// by other means. Each file of them says, at its top, the rule it copies,
// the figure it exists for and the fuzz target that holds it to the model.
// They are built on x86-64 alone, with KVB_FAST_PATHS on (CMake); without
// them the run-time takes the rules alone, and callers test kFastPaths with
// `if constexpr`, so that nothing here is called.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#ifndef KVB_FAST_PATHS
#error "KVB_FAST_PATHS must be 0 or 1 (the runtime target defines it)"
#endif

namespace kvb {

inline constexpr bool kFastPaths = KVB_FAST_PATHS;

// Eight blank columns as one word.
inline constexpr std::uint64_t kEightBlanks = 0x2020202020202020;

// plain_field.cc. read_real for a field of all w columns present (w <= 19)
// holding blanks, a sign, digits with at most one point, blanks: its value;
// nullopt for any other field, which is the rule's.
std::optional<float> plain_field(const char* p, int w, int d);

// plain_record.cc. Eight numeric fields of 10 columns side by side from p,
// with d[k] implied decimals: when every one is a plain field stores the
// eight values read_real gives and returns true; else stores nothing that
// counts and returns false. Reads 16 bytes from each field's start: 86
// bytes from p must be readable. With Vectors::kNarrow it takes SSE2 alone,
// else the widest vectors the processor has.
constexpr int kPlainRecordFields = 8;
enum class Vectors { kWidest, kNarrow };
bool read_plain_record(const char* p, const int* d, float* values, Vectors vectors = Vectors::kWidest);
// Whether the processor has AVX2, for the paths that need it.
bool wide_vectors();

// fixed_short.cc. write_fixed for d <= 8 and a value below 2^52 units of
// its last decimal, from the integer digits; false, with nothing written,
// for any other.
bool fixed_digits(float v, int w, int d, char* out);
// write_fixed for the fields that short_fixed_field allows, the same
// columns, made faster; it may store up to kFixedSlack bytes past out + w.
constexpr bool short_fixed_field(int w, int d) { return d >= 1 && d <= 7 && w >= d + 2 && w <= 16; }
constexpr std::size_t kFixedSlack = 8;
void write_fixed_short(float v, int w, int d, char* out);

// fixed_wide.cc. Four Fw.3 fields of 7 to 15 columns side by side in a
// record, each after at most one literal byte, edited at once where
// wide_vectors(): a group says where each one and its literal go.
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
