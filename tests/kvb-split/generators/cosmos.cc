#include "generators/cosmos.h"

#include <cctype>
#include <cstdio>

#include "generators/text.h"

namespace kvb_test {

namespace {

// "%w.df" without the leading zero, as Fortran writes it: "  -.000010".
std::string fortran_f(double value, int width, int decimals) {
  std::string text = format("%.*f", decimals, value);
  if (text.rfind("0.", 0) == 0) text.erase(0, 1);
  if (text.rfind("-0.", 0) == 0) text.erase(1, 1);
  const std::size_t w = static_cast<std::size_t>(width);
  return std::string(text.size() < w ? w - text.size() : 0, ' ') + text;
}

// Values in the fields of a Fortran format, per_line to a line.
template <typename Field>
std::vector<std::string> lines_of(std::size_t count, std::size_t per_line, Field field) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < count; ++k) {
    if (k % per_line == 0) lines.emplace_back();
    lines.back() += field(k);
  }
  return lines;
}

void channel_lines(const CosmosChannel& ch, int number, const CosmosOptions& opt, std::vector<std::string>& out) {
  const std::size_t n = ch.values.size();
  const long points = opt.stated_points >= 0 ? opt.stated_points : static_cast<long>(n);
  const char* unit = opt.units == 2 ? "g.     " : "cm/sec2";
  out.push_back(opt.raw_counts ? "Raw acceleration counts   (Format v01.20 with 13 text lines) Src: synthetic"
                               : "Corrected acceleration    (Format v01.20 with 13 text lines) Src: synthetic");
  out.push_back("Record of Synthetic Earthquake of Tue Jan 2, 2024 18:00 UTC");
  out.push_back("Hypocenter: 40.00000 -120.00000 H= 10km Mw=5.0");
  out.push_back("Origin: 2024/01/02 18:00:00    UTC");
  out.push_back("Statn No: 99-  123 Code:XX-SYN1  SYN  Synthetic Creek, CA");
  out.push_back("Coords: 40.0000 -120.0000  Site geology:");
  out.push_back("Recorder: Synth  s/n 1   ( 3 Chns of   3 at Sta) Sensor: Synth");
  out.push_back("Rcrd start time: 2024/01/02 18:00:05.250 UTC (Q=5) RcrdId: (see comment)");
  out.push_back(format("Sta Chan %2d: %s (Rcrdr Chan %2d) Location: Ground level", number, ch.text.c_str(), number));
  out.push_back("Raw record length = 1.000 sec, Uncor max =        1, at   0.100 sec.");
  out.push_back("Processed: 2024-01-03 00:00:00 GMT, SYN, Max =    1.000 cm/sec2 at   0.100 sec");
  out.push_back("Record filtered below  0.10 Hz (periods over 10.00 secs), and above 40.0 Hz");
  out.push_back("Values used when parameter or data value is unknown/unspecified:   -999, -999.00");

  std::vector<int> ints(100, -999);
  ints[0] = opt.raw_counts ? 0 : 2, ints[1] = 1, ints[2] = opt.raw_counts ? 50 : opt.units, ints[3] = 120;
  ints[39] = 2024, ints[40] = 2, ints[41] = 1, ints[42] = 2, ints[43] = 18, ints[44] = 0;
  ints[49] = number, ints[53] = ch.code;
  out.push_back(" 100 Integer-header values follow on  10 lines, Format= (10I8)");
  for (const std::string& l : lines_of(100, 10, [&](std::size_t k) { return format("%8d", ints[k]); }))
    out.push_back(l);

  std::vector<double> reals(100, -999.0);
  reals[29] = 5.25, reals[61] = opt.interval_ms, reals[62] = static_cast<double>(n) * opt.interval_ms / 1000;
  reals[63] = 1.0;
  if (opt.raw_counts) reals[21] = opt.lsb_uv, reals[41] = opt.sensitivity, reals[46] = opt.gain;
  const int per = opt.six_reals ? 6 : 5;
  out.push_back(format(" 100 Real-header values follow on  %d lines, Format= (%dF%d.6)", opt.six_reals ? 17 : 20, per,
                       opt.six_reals ? 13 : 15));
  for (const std::string& l : lines_of(100, static_cast<std::size_t>(per), [&](std::size_t k) {
         return fortran_f(reals[k], opt.six_reals ? 13 : 15, 6);
       })) {
    out.push_back(l);
  }

  out.push_back(format("   %d Comment line(s) follow, each starting with a \"|\":", ch.scnl.empty() ? 1 : 2));
  out.push_back("| Synthetic record made for tests");
  if (!ch.scnl.empty()) out.push_back("|<SCNL>SYN1." + ch.scnl + ".XX.--    <AUTH> 2024/01/03 00:00:00.000");

  const int code = opt.data_line_units ? opt.data_line_units : opt.units;
  std::vector<std::string> data;
  if (opt.raw_counts) {
    out.push_back(format("%8ld raw accel.   pts, approx %4d secs, units= counts(50),Format=(1I8)", points, 1));
    data = lines_of(n, 1, [&](std::size_t k) { return format("%8ld", static_cast<long>(ch.values[k])); });
  } else {
    switch (opt.data) {
      case CosmosOptions::Data::kOnePerLine:
        out.push_back(
            format("%8ld acceleration pts, approx %4d secs, units=%s(%02d),Format=(1E15.6)", points, 1, unit, code));
        data = lines_of(n, 1, [&](std::size_t k) { return format("%15.6e", ch.values[k]); });
        break;
      case CosmosOptions::Data::kEightNine:
        out.push_back(
            format("%8ld acceleration pts, approx %3d secs, units=%s(%02d)Format=(8f9.6)", points, 1, unit, code));
        data = lines_of(n, 8, [&](std::size_t k) { return fortran_f(ch.values[k], 9, 6); });
        for (std::string& l : data) l.resize(80, ' ');  // blank-padded to 80 columns
        break;
      case CosmosOptions::Data::kEightTen:
        out.push_back(
            format("%7ld  acceleration pts, approx %4d secs, units=%s(%02d),Format=(8F10.5)", points, 1, unit, code));
        data = lines_of(n, 8, [&](std::size_t k) { return fortran_f(ch.values[k], 10, 5); });
        break;
    }
  }
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(opt.csmip_end ? format("/&  ----------  End of data for channel %2d  ----------", number)
                              : format("End-of-data for Chan %2d acceleration", number));
  if (opt.velocity) {
    out.push_back(format("%8zu velocity pts, approx    1 secs, units=cm/sec(05),Format=(1E15.6)", n));
    for (double v : ch.values) out.push_back(format("%15.6e", v / 10));
    out.push_back(format("End-of-data for Chan %2d velocity", number));
  }
}

}  // namespace

std::string cosmos_file(const std::vector<CosmosChannel>& channels, const CosmosOptions& opt) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < channels.size(); ++k) channel_lines(channels[k], static_cast<int>(k + 1), opt, lines);
  std::string file;
  for (const std::string& l : lines) file += l + opt.eol;
  if (opt.upper) {
    for (char& c : file) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return file;
}

}  // namespace kvb_test
