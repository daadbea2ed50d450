#include "generators/bhrc.h"

#include "generators/text.h"

namespace kvb_test {

std::string bhrc_file(const std::vector<BhrcChannel>& channels, const BhrcOptions& opt) {
  std::string file;
  for (const BhrcChannel& ch : channels) {
    const std::size_t n = ch.g10.size();
    const std::string points = opt.points.empty() ? std::to_string(n) : opt.points;
    const std::string duration = opt.duration.empty() ? format("%.3f", static_cast<double>(n) * 0.005) : opt.duration;
    std::vector<std::string> lines = {
        "* VOL1DS FILE:  9999/01",
        "Inst Type = SSA-2",
        "Origin Time : 2024/01/02   18:00:00",
        "",
        ch.component.substr(0, 1),
        std::string(70, ' '),
        "COMP " + ch.component,
        "Synthetic Town            Station   37.485 N 45.891 E   Altitude 1333m   " + opt.azimuths,
        "Epicenter 38.520 N 46.860 E   FD 12 Km mb      Ms      Mw6.1   M        ML   (BHRC   )",
        "INSTR PERIOD =  .019 SEC   DAMPING =  .640",
        "NO. OF POINTS = " + format("%6s", points.c_str()) + "      DURATION = " + format("%7s", duration.c_str()),
        "UNITS ARE SECONDS AND G/10",
        ""};
    for (int k = 0; k < 6; ++k) lines.push_back(std::string(14, ' ') + "   0" + std::string(50, ' '));
    lines.push_back("    0    0    0    0");
    for (int k = 0; k < 6; ++k)
      lines.push_back("  .000000E+00  .000000E+00  .000000E+00  .000000E+00  .000000E+00  .00");
    lines.push_back("  .000000E+00  .000000E+00");
    for (std::size_t k = 0; k < n; k += 10) {
      std::string row;
      for (std::size_t i = k; i < n && i < k + 10; ++i) row += format(" %12.6E", ch.g10[i]);
      lines.push_back(row);
    }
    lines.push_back("/&");
    for (const std::string& line : lines) file += line + opt.eol;
  }
  return file;
}

}  // namespace kvb_test
