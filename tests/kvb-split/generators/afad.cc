#include "generators/afad.h"

#include <cmath>

#include "generators/text.h"

namespace kvb_test {

std::string afad_file(const std::vector<std::vector<double>>& columns, const AfadOptions& opt) {
  const std::size_t rows = columns.empty() ? 0 : columns[0].size();
  std::string peaks;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    double peak = 0;
    for (double v : columns[k]) peak = std::fmax(peak, std::fabs(v));
    peaks += (k ? " (" : "(") + opt.components[k] + ") " + format("%f", peak);
  }
  const std::vector<std::string> lines = {
      "STRONG GROUND MOTION RECORDS OF TURKIYE",
      "PLACE                   : SYNTHETIC DEVLET HASTANESI",
      "EARTHQUAKE DATE         : 2024/01/02 18:00:00 (GMT)",
      "EPICENTER COORDINATES   : 36.91980N-27.44350E",
      "EARTHQUAKE DEPTH (km)   : 19.44",
      "EARTHQUAKE MAGNITUDE    : 6.5 Mw",
      "STATION ID              : 0921",
      "STATION COORDINATES     : 37.87470N-27.59223E",
      "STATION ALTITUDE (m)    : 66",
      "RECORDER TYPE           : Synthetic",
      "RECORDER SERIAL NO      : 1856",
      "RECORD TIME             : " + opt.record_time,
      "NUMBER OF DATA          : " + (opt.count.empty() ? std::to_string(rows) : opt.count),
      "SAMPLING INTERVAL (sec) : " + opt.interval,
      "RAW PGA VALUES (gal)    : " + peaks,
      "Copyright EARTHQUAKE DEPARTMENT",
      "DISASTER AND EMERGENCY MANAGEMENT PRESIDENCY"};
  std::string file;
  for (const std::string& line : lines) file += line + opt.eol;
  std::string names;
  for (const std::string& c : opt.components) names += format("%10s   ", c.c_str());
  file += names.substr(0, names.size() - 3) + opt.eol;
  for (std::size_t i = 0; i < rows; ++i) {
    std::string row;
    for (const auto& column : columns) row += format("%12.6f  ", column[i]);
    file += row.substr(0, row.size() - 2) + opt.eol;
  }
  return file;
}

}  // namespace kvb_test
