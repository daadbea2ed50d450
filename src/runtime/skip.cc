// List-directed reads. The program reads no list items: such a read skips
// one record, whatever it holds.
#include "fatal.h"
#include "io.h"
#include "unit.h"

using namespace kvb;

namespace {
Unit* skip_unit = nullptr;  // the unit of the skip in progress
}  // namespace

int s_rsle(const cilist& a) {
  skip_unit = &begin_statement(a.unit, Direction::kRead, nullptr);
  if (skip_unit->end_of_file) {
    if (!a.end) io_error(kEndOfFileError, "read start");
    end_statement(true);
    return -1;
  }
  return 0;
}

int e_rsle() {
  // The end of the file sets the mark quietly; the next statement meets it.
  if (!skip_unit->reader().skip_record()) skip_unit->end_of_file = true;
  end_statement();
  return 0;
}
