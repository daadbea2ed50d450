// A second reading of the field, F editing and record rules, written step by
// step from the rules and kept slow and plain. The fuzz targets hold the
// run-time against it byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "component_layout.h"
#include "field.h"

namespace model {

// One numeric input field of w columns, d implied decimals (kvb::read_real).
kvb::RealField read_real(std::string_view rest, kvb::RecordEnd end, int w, int d);

// Fw.d: exactly w columns (kvb::write_fixed).
std::string write_fixed(float v, int w, int d);

// The bytes a statement sees of a file: the file ends at its first byte
// 0x1A, and a CR right before a LF is dropped.
std::string text_mode(std::string_view file);

// One component file read as the run reads it: the header records skipped
// but the title, then data records of eight E10.4 fields until the end of
// the file.
struct ComponentRead {
  std::string fatal;  // the report's first line ("fmt: end of file\n"); empty when none
  bool has_title = false;
  std::string title;           // 80 columns, when the title read succeeded
  int records = 0;             // data records read completely
  bool overfull = false;       // more input after a full buffer of complete data records
  std::vector<float> samples;  // the values stored, from position 1 on, in order
};
ComponentRead read_component(std::string_view file);

}  // namespace model
