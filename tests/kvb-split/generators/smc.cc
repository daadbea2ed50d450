#include "generators/smc.h"

#include <cmath>
#include <cstdio>

namespace kvb_test {

namespace {

constexpr int kIntUnset = -32768;
constexpr double kRealUnset = 1.7e38;

std::string padded(std::string line, bool pad) {
  if (pad && line.size() < 80) line.resize(80, ' ');
  return line;
}

// values, per_line of them a line, each written by format.
void put_lines(std::vector<std::string>& lines, const std::vector<double>& values, std::size_t per_line,
               const char* format) {
  char text[32];
  for (std::size_t k = 0; k < values.size(); k += per_line) {
    std::string line;
    for (std::size_t j = k; j < k + per_line; ++j) {
      std::snprintf(text, sizeof text, format, values[j]);
      line += text;
    }
    lines.push_back(line);
  }
}

}  // namespace

std::string smc_value(double v) {
  if (v == 0) return " 0.0000E+0";
  int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  double mantissa = std::round(v / std::pow(10.0, exponent) * 1e4) / 1e4;
  if (std::fabs(mantissa) >= 10) {
    mantissa /= 10;
    ++exponent;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.4fE%c%d", mantissa, exponent < 0 ? '-' : '+', std::abs(exponent));
  std::string s = text;
  return std::string(s.size() < 10 ? 10 - s.size() : 0, ' ') + s;
}

std::string smc_file(const std::vector<double>& values, const SmcOptions& opt) {
  const char* kinds[] = {"UNKNOWN", "UNCORRECTED ACCELEROGRAM", "CORRECTED ACCELEROGRAM", "VELOCITY"};
  std::vector<std::string> lines;
  lines.push_back(std::to_string(opt.volume) + " " + kinds[opt.volume]);
  lines.push_back("*");
  lines.push_back("SYN0A Synthetic Station");
  lines.push_back("     1999  12  31    2359 Synthetic event");
  lines.push_back("Moment Mag=      6.1 Ms=      6.0 Ml=      5.9");
  lines.push_back("station = Synthetic Flats  component= " + opt.component);
  double peak = 0;
  for (std::size_t k = opt.pairs ? 1 : 0; k < values.size(); k += opt.pairs ? 2 : 1) {
    peak = std::max(peak, std::fabs(values[k]));
  }
  char text[160];
  std::snprintf(text, sizeof text, "epicentral dist =  12.3  pk acc = %8.1f", peak);
  lines.push_back(text);
  while (lines.size() < 11) lines.push_back("*");

  std::vector<double> ints(48, kIntUnset);
  // Day 365 of 1999, 23:59:58.250.
  long slots[] = {kIntUnset, 1999, 365, 23, 59, 58, 250};
  for (int k = 0; k < 7; ++k) ints[static_cast<std::size_t>(k)] = static_cast<double>(slots[k]);
  ints[12] = opt.from_vertical;
  ints[13] = opt.azimuth;
  ints[15] = opt.comments;
  ints[16] = static_cast<double>(opt.stated_count >= 0 ? opt.stated_count : static_cast<long>(values.size()));
  put_lines(lines, ints, 8, "%10.0f");
  std::vector<double> reals(50, kRealUnset);
  reals[1] = opt.pairs ? kRealUnset : opt.rate;
  put_lines(lines, reals, 5, "%15.7E");
  for (auto& line : lines) line = padded(line, opt.pad);
  for (int k = 0; k < opt.comments; ++k) lines.push_back("| comment " + std::to_string(k + 1));

  std::string line;
  for (std::size_t k = 0; k < values.size(); ++k) {
    line += smc_value(values[k]);
    if (line.size() == 80 || k + 1 == values.size()) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (opt.values_after_count > 0) {
    for (int k = 0; k < opt.values_after_count; ++k) line += smc_value(k + 1.0);
    lines.push_back(line);
  }
  if (opt.nul_line) lines.push_back(std::string(80, '\0'));

  std::string file;
  for (const auto& l : lines) file += l + opt.eol;
  return file;
}

}  // namespace kvb_test
