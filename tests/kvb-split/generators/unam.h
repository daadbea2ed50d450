// Synthetic UNAM standard acceleration files: the sectioned header of
// "KEY : value" lines (channel values after slashes), the data's title and
// rulers, then the channels in columns of 10-column fields, in gal.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct UnamOptions {
  std::vector<std::string> directions = {"V", "N00E", "N90E"};  // ORIENTACION C1-C6
  std::string interval = "0.005";                               // each channel's INTERVALO DE MUESTREO as written
  std::string count;  // each channel's NUM. TOTAL DE MUESTRAS; empty: the rows
  std::string origin_time = "18:14:40";
  std::string first_sample = "18:14:18";
  std::string units = "Gal (cm/s/s)";
  const char* eol = "\r\n";
};

// columns[k] is channel k+1's samples; all the same length.
std::string unam_file(const std::vector<std::vector<double>>& columns, const UnamOptions& opt);

}  // namespace kvb_test
