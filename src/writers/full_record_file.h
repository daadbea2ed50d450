// KVB-full.csv: the full record as a table, time_s and the three components
// in cm/s², a row a sample at the record's own step.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "record/full_record.h"

namespace kvb {

// The table handed to put in pieces, or whole.
void write_full_record(const FullRecord& full, const std::function<void(std::string_view)>& put);
std::string full_record_text(const FullRecord& full);

}  // namespace kvb
