// Synthetic COSMOS Volume 0/1/2 files: per channel 13 text lines, the integer
// and real headers, comments, the data line and the values, then an end line.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct CosmosChannel {
  int code = 360;                // integer header value 54: azimuth, 400 up, ...
  std::string text = "360 deg";  // after "Sta Chan  n:" on text line 9
  std::string scnl;              // channel code of a "|<SCNL>" comment; "" for none
  std::vector<double> values;    // in the file's units
};

struct CosmosOptions {
  enum class Data { kOnePerLine, kEightNine, kEightTen };  // (1E15.6), (8f9.6), (8F10.5)
  Data data = Data::kOnePerLine;
  int units = 4;             // 2 g, 4 cm/s², in the integer header and on the data line
  int data_line_units = 0;   // another code on the data line; 0: the same
  double interval_ms = 5.0;  // real header value 62; -999 for unset
  bool six_reals = false;    // reals (6F13.6) on 17 lines instead of (5F15.6) on 20
  bool csmip_end = false;    // "/&" end lines instead of "End-of-data"
  bool velocity = false;     // a velocity block after the acceleration's end line
  bool upper = false;        // all in upper case
  const char* eol = "\n";
  long stated_points = -1;  // the data line's count; -1: the number of values
  // Volume 0: whole counts, one a line (1I8), scaled by the recorder's least
  // significant bit (real 22, µV), the sensor's sensitivity (real 42, V/g) and
  // the gain (real 47); -999 leaves one unset.
  bool raw_counts = false;
  double lsb_uv = 0.298024, sensitivity = 1.2553, gain = 1.0;
};

std::string cosmos_file(const std::vector<CosmosChannel>& channels, const CosmosOptions& opt);

}  // namespace kvb_test
