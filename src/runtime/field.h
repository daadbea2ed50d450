// Fixed-width fields, as the rules have them: the text of one input field
// to a value, and a value to exactly w output columns. Bytes in, results
// out; no streams, no state. (fast_paths.h does the common fields faster.)
#pragma once

#include <cstddef>
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

}  // namespace kvb
