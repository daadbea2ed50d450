// KVB-full.csv: the full record as a table, time_s and the three components
// in cm/s², a row a sample at the record's own step.
#pragma once

#include <string>

#include "record/full_record.h"

namespace kvb {

std::string full_record_text(const FullRecord& full);

}  // namespace kvb
