#include "generators/knet.h"

#include <cstdio>

namespace kvb_test {

std::string knet_file(const std::vector<long>& counts, const KnetOptions& opt) {
  char text[64];
  auto line = [](const char* label, const std::string& value) {
    std::string l = label;
    l.resize(18, ' ');
    return l + value + "\n";
  };
  double duration = opt.duration >= 0 ? opt.duration : static_cast<double>(counts.size()) / opt.rate;
  std::snprintf(text, sizeof text, "%g", duration);
  std::string file = line("Origin Time", "2001/02/03 04:05:00") + line("Lat.", "35.000") +
                     line(opt.documented_labels ? "Lon." : "Long.", "139.000") + line("Depth. (km)", "10") +
                     line("Mag.", "5.0") + line("Station Code", "SYN001") + line("Station Lat.", "35.1000") +
                     line("Station Long.", "139.1000") + line("Station Height(m)", "-9999") +
                     line("Record Time", opt.record_time) + line("Sampling Freq(Hz)", std::to_string(opt.rate) + "Hz") +
                     line("Duration Time(s)", text) + line("Dir.", opt.direction) +
                     line("Scale Factor", std::to_string(opt.scale_gal) + "(gal)/" + std::to_string(opt.scale_counts)) +
                     line(opt.documented_labels ? "Max Acc. (gal)" : "Max. Acc. (gal)", "12.345") +
                     line("Last Correction", "2001/02/03 04:05:05") + "Memo.\n";
  for (std::size_t k = 0; k < counts.size(); ++k) {
    std::snprintf(text, sizeof text, "%9ld", counts[k]);
    file += text;
    if (k % 8 == 7 || k + 1 == counts.size()) file += "\n";
  }
  return file;
}

}  // namespace kvb_test
