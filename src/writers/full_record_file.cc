#include "writers/full_record_file.h"

#include "component_layout.h"
#include "writers/exports.h"

namespace kvb {

void write_full_record(const FullRecord& full, const std::function<void(std::string_view)>& put) {
  std::array<Column, 3> columns;
  for (std::size_t c = 0; c < columns.size(); ++c) columns[c] = {layout::kComponents[c], &full.samples[c]};
  csv_table(columns, full.step, 0.0, kUnits[2], put);  // cm/s²
}

std::string full_record_text(const FullRecord& full) {
  std::string text;
  write_full_record(full, [&](std::string_view piece) { text += piece; });
  return text;
}

}  // namespace kvb
