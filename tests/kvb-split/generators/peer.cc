#include "generators/peer.h"

#include <cstdio>
#include <cstdlib>

namespace kvb_test {

std::string peer_value(double g, bool west2) {
  char text[32];
  if (!west2) {
    std::snprintf(text, sizeof text, "%15.7E", g);
    return text;
  }
  // Fortran's E15.7: a mantissa below one without its leading zero.
  std::snprintf(text, sizeof text, "%.6E", g);  // "-8.075668E-04"
  std::string s = text;
  bool minus = s[0] == '-';
  std::size_t e = s.find('E');
  std::string digits = s.substr(minus ? 1 : 0, 1) + s.substr(minus ? 3 : 2, e - (minus ? 3 : 2));
  int exponent = g == 0 ? 0 : std::atoi(s.c_str() + e + 1) + 1;
  std::snprintf(text, sizeof text, "%s.%sE%c%02d", minus ? "-" : "", g == 0 ? "0000000" : digits.c_str(),
                exponent < 0 ? '-' : '+', std::abs(exponent));
  s = text;
  return std::string(15 - s.size(), ' ') + s;
}

std::string peer_file(const std::vector<double>& g, const PeerOptions& opt) {
  const long points = opt.stated_points >= 0 ? opt.stated_points : static_cast<long>(g.size());
  char count[96];
  if (opt.west2) {
    std::snprintf(count, sizeof count, "NPTS= %6ld, DT= %7.4f SEC,", points, opt.interval);
  } else {
    std::snprintf(count, sizeof count, "NPTS= %6ld, DT= %7g SEC", points, opt.interval);
  }
  if (opt.older) std::snprintf(count, sizeof count, "NPTS= %5ld, DT= %.5f SEC", points, opt.interval);
  std::string line4 = count;
  if (opt.older) line4.erase(line4.find("0."), 1);  // ".02000"
  if (opt.west2) {
    if (line4.find(" 0.") != std::string::npos) line4.erase(line4.find(" 0.") + 1, 1);  // "  .0050"
    line4.resize(75, ' ');
  }
  std::string file = std::string(opt.older ? "PACIFIC ENGINEERING AND ANALYSIS STRONG-MOTION DATA"
                                           : "PEER NGA STRONG MOTION DATABASE RECORD") +
                     opt.eol;
  file += (opt.older ? "NORTHRIDGE 01/17/94 1231, ARLETA, " : "Synthetic, 01/02/2024, Synthetic Creek, ") +
          opt.component + opt.eol;
  file +=
      std::string(opt.west2 ? "ACCELERATION TIME SERIES IN UNITS OF G" : "ACCELERATION TIME HISTORY IN UNITS OF G") +
      opt.eol;
  file += line4 + opt.eol;
  std::string line;
  for (std::size_t k = 0; k < g.size(); ++k) {
    line += peer_value(g[k], opt.west2);
    if (k % 5 == 4 || k + 1 == g.size() || opt.one_per_line) {
      if (opt.pad_last) line.resize(75, ' ');
      file += line + opt.eol;
      line.clear();
    }
  }
  return file;
}

}  // namespace kvb_test
