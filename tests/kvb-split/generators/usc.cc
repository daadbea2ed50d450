#include "generators/usc.h"

#include "generators/text.h"

namespace kvb_test {

namespace {

// 72 columns of text, then its length.
std::string text_line(const std::string& text) { return format("%-72s%2zu", text.c_str(), text.size()); }

std::string zeros(std::size_t count, const char* field) {
  std::string line;
  for (std::size_t k = 0; k < count; ++k) line += format(field, 0);
  return line;
}

void block(std::vector<std::string>& lines, const std::vector<double>& values) {
  for (std::size_t k = 0; k < values.size(); k += 8) {
    std::string row;
    for (std::size_t i = k; i < values.size() && i < k + 8; ++i) row += format("%10.3f", values[i]);
    lines.push_back(row);
  }
}

}  // namespace

std::string usc_file(const std::vector<double>& values, const UscOptions& opt) {
  const std::size_t n = values.size();
  std::vector<double> times = opt.times;
  for (std::size_t k = times.size(); k < n; ++k) times.push_back(0.004 * static_cast<double>(k));
  const std::string points = opt.points.empty() ? std::to_string(n) : opt.points;
  std::vector<std::string> lines;
  if (opt.corrected) lines.push_back("CORRECTED ACCELEROGRAM  IIBB999  24.001.0 COMP " + opt.component + "   FILE   0");
  for (const std::string& text :
       {std::string("FILE     0 OF UNCORRECTED ACCELEROGRAM DATA OF VOLUME I:"), std::string("SYNTHETIC EARTHQUAKE"),
        std::string("JAN  2, 2024 -1800 GMT"), std::string("IBB999  24.001.0 N"),
        std::string("STATION USC# 0099   34 25 09N, 118 25 34W"), std::string("1 SYNTHETIC ROAD, SYNTHETIC TOWN, CA"),
        "COMP " + opt.component, std::string("SYNTHETIC EARTHQUAKE   JAN  2, 2024 -1800 GMT"),
        std::string("EPICENTER -   34 12 48N, 118 32 13W"),
        std::string("INSTR PERIOD =  .039 SEC  DAMPING =   .577  SENSITIVITY =   1.86CM/G"),
        format("NO. OF POINTS = %6s      DURATION = %7.3f SEC", opt.corrected ? "9" : points.c_str(),
               times.empty() ? 0.0 : times.back()),
        opt.units, std::string("RMS ACCLN. OF COMPLETE RECORD =     .638 G/10")})
    lines.push_back(text_line(text));
  if (opt.corrected) {
    for (const char* text : {"ACCELEROGRAM IS BAND-PASS FILTERED BETWEEN  .225- .325 AND 25.00-27.00 HZ.",
                             "PEAK ACCELERATION =  -242.39450  CMS/SEC/SEC AT    4.580   SEC.",
                             "MAGNITUDE =  6.7    EPICENTRAL DISTANCE =  29.76 KM    M.M.I. =  8."})
      lines.push_back(text);
  }
  for (int k = 0; k < 6; ++k) lines.push_back(zeros(16, "%5d"));
  lines.push_back(zeros(4, "%5d"));
  lines.push_back("      .039      .577    31.026      .638      .100     1.860    34.213   118.537");
  lines.push_back("    34.419   118.426    25.122     6.100     8.000    18.400    25.600      .000");
  for (int k = 0; k < (opt.corrected ? 10 : 4); ++k) lines.push_back(zeros(8, "%10d"));
  lines.push_back(zeros(2, "%10d"));
  if (opt.corrected) {
    for (const char* what : {"ACC", "VEL", "DIS"}) {
      lines.push_back(format("%6s POINTS OF %s DATA EQUALLY SPACED AT %6s SEC.  IN UNITS CM/SEC/SEC", points.c_str(),
                             what, opt.step.c_str()));
      block(lines, what[0] == 'A' ? values : std::vector<double>(n, what[0] == 'V' ? -0.834 : 0.0));
    }
  } else {
    for (std::size_t k = 0; k < n; k += 5) {
      std::string row;
      for (std::size_t i = k; i < n && i < k + 5; ++i)
        row += format(i == k ? "%8.3f%7.3f" : "%7.3f%7.3f", times[i], values[i]);
      lines.push_back(row);
    }
  }
  std::string file;
  for (const std::string& line : lines) file += line + opt.eol;
  return file;
}

}  // namespace kvb_test
