#include "generators/geonet.h"

#include <cstdio>
#include <cstdlib>

namespace kvb_test {

namespace {

void put_block(std::string& file, const std::vector<std::string>& fields) {
  for (std::size_t k = 0; k < fields.size(); ++k) {
    file += fields[k];
    if (k % 10 == 9 || k + 1 == fields.size()) file += "\n";
  }
}

std::string field(const char* format, double v) {
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

}  // namespace

// A V1A writes a value whose one-decimal form fills all 8 columns without its
// decimals; a V2A keeps them and lets the fields touch.
std::string geonet_value(long tenths, bool corrected) {
  std::string one = field("%8.1f", static_cast<double>(tenths) / 10);
  if (!corrected && one.size() >= 8 && tenths % 10 == 0) return field("%8.0f", static_cast<double>(tenths) / 10);
  return one;
}

std::string geonet_file(const std::vector<GeonetComponent>& components, const GeonetOptions& opt) {
  std::string file;
  for (const GeonetComponent& c : components) {
    const std::size_t n = c.tenths.size();
    const int velocity = opt.corrected ? opt.velocity_values : 0;
    char text[200];
    file += std::string(opt.corrected ? "Corrected" : "Uncorrected") +
            " accelerogram 20180212_211554_SYNT_20 GNS Science\n";
    file += "Site SYNT      39 56 38S  176 35 04E     Basalt file:  20180212_211557_SYNT\n";
    file += "Synthetic District Council\n";
    for (int k = 4; k <= 7; ++k) file += "Text line\n";
    file += "2018 February 12         21:15:54 UT\n";
    file += "Epicentre  40 03 27S 176 32 45E  Bearing S15W  Dist   13km  Depth    9km M  4.17\n";
    std::snprintf(text, sizeof text, "Number of points %5zu    Duration %.2f sec\n", n,
                  static_cast<double>(n) * opt.interval);
    file += text;
    if (opt.corrected) {
      std::snprintf(text, sizeof text, "Instrument corrected data at %.3f sec intervals\n", opt.interval);
    } else {
      std::snprintf(text, sizeof text, "Raw readings in units of %.2f mm/s/s  at intervals of %.3f s\n", opt.units,
                    opt.interval);
    }
    file += text;
    file += "Band-pass filter transition bands are .10-.25 Hz and 24.50-25.50 Hz\n";
    file += "Component " + c.bearing + "  Synthetic Accelerometer Axis\n";
    long peak = 0;
    for (long v : c.tenths) peak = std::abs(v) > std::abs(peak) ? v : peak;
    std::snprintf(text, sizeof text, "Acceleration:  peak %8.1f mm/s/s at  43.68 sec\n",
                  static_cast<double>(peak) / 10);
    file += text;
    file += "Velocity:      peak\nDisplacement:  peak\n";

    std::vector<std::string> ints(40, "       0");
    const long slots[][2] = {{0, 2018},      {1, 2},        {2, 12},           {3, 21},
                             {4, 15},        {5, 540},      {27, c.direction}, {33, static_cast<long>(n)},
                             {34, velocity}, {35, velocity}};
    for (const auto& [slot, v] : slots) ints[static_cast<std::size_t>(slot)] = field("%8.0f", static_cast<double>(v));
    put_block(file, ints);
    std::vector<std::string> reals(60, "    0.00");
    reals[25] = field("%8.4f", opt.interval);
    reals[29] = "  9806.6";
    put_block(file, reals);

    std::vector<std::string> values;
    for (long v : c.tenths) values.push_back(geonet_value(v, opt.corrected));
    put_block(file, values);
    for (const char* format : {"%8.4f", "%8.5f"}) {
      values.clear();
      for (int k = 0; k < velocity; ++k) values.push_back(field(format, k % 2 ? -0.00007 : 12.3456));
      put_block(file, values);
    }
  }
  return file;
}

}  // namespace kvb_test
