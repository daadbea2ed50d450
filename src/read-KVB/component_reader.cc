// One component file: header, title, data records, counters.
#include "component_reader.h"

#include <string>

#include "io.h"

namespace {

std::string trimmed_name(const char* field) {
  std::string name(field, kFieldLength);
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

}  // namespace

void open_component(const char* name_field) { f_open({kComponentUnit, {name_field, kFieldLength}, "old"}); }

void close_component() { f_clos({kComponentUnit}); }

void skip_records(int n) {
  for (int k = 0; k < n; ++k) {
    s_rsle({kComponentUnit, false, nullptr});
    e_rsle();
  }
}

void read_title(char* line) {
  s_rsfe({kComponentUnit, false, "(a80)"});
  do_fio(line, kFieldLength);
  e_rsfe();
}

// Flattened: the statement calls of this loop (eight items a record) are
// inlined into it, which saves a tenth of the run's instructions.
[[gnu::flatten]] int read_data(const char* name_field, float* samples, int& in) {
  int i = 0;
  for (;; ++i) {
    in = layout::kFieldsPerRecord * i + 1;
    if (in > layout::kBufferSamples) {
      // The buffer is full. With nothing left to read, the next read would
      // simply meet the end of the file; anything more would not fit.
      if (unit_has_input(kComponentUnit))
        stop_with_error(trimmed_name(name_field) + ": more than " + std::to_string(layout::kBufferSamples) +
                        " samples; a component file may hold at most " + std::to_string(layout::kBufferSamples));
      return i;
    }
    // Each value is stored as soon as its field is read; a nonzero result
    // is the end of the file.
    if (s_rsfe({kComponentUnit, true, "(8E10.4)"})) return i;
    for (int j = 0; j < layout::kFieldsPerRecord; ++j)
      if (do_fio(samples[in + j - 1])) return i;
    if (e_rsfe()) return i;
  }
}
