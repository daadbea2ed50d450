#include "writers/full_record_file.h"

#include "component_layout.h"
#include "writers/exports.h"

namespace kvb {

std::string full_record_text(const FullRecord& full) {
  std::array<Component, 3> parts;
  for (std::size_t c = 0; c < parts.size(); ++c) parts[c] = {layout::kComponents[c], full.samples[c], false};
  return csv_table(parts, full.step, 0.0, kUnits[2]);  // cm/s²
}

}  // namespace kvb
