#include "generators/csmip.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "generators/text.h"

namespace kvb_test {

namespace {

int width_of(const GenOptions& opt) { return opt.volume == 1 ? 9 : 10; }

}  // namespace

std::vector<long> samples(int count, int seed, long limit) {
  std::vector<long> out;
  for (long k = 0; k < count; ++k) {
    long m = (k * 7919 + seed * 104729L) % (2 * limit - 1) - (limit - 1);
    if (k == 0) m = -(limit - 1);
    if (k == 3) m = 0;
    if (std::labs(m) % 1000 == 500) ++m;
    out.push_back(m);
  }
  return out;
}

std::string value_text(long micro, int width) {
  long mag = std::labs(micro);
  std::string text =
      (micro < 0 ? "-" : "") + (mag >= 1000000 ? std::to_string(mag / 1000000) : "") + format(".%06ld", mag % 1000000);
  const std::size_t w = static_cast<std::size_t>(width);
  return std::string(text.size() < w ? w - text.size() : 0, ' ') + text;
}

std::vector<std::string> data_lines(const std::vector<long>& micro, int width) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < micro.size(); ++k) {
    if (k % 8 == 0) lines.emplace_back();
    lines.back() += value_text(micro[k], width);
  }
  return lines;
}

std::vector<std::string> header_lines(const GenChannel& ch, const GenOptions& opt) {
  const std::string chan = format("Chan %2d: %s", ch.number, ch.orientation.c_str());
  const std::size_t points = ch.micro.size();
  std::vector<std::string> h;
  if (opt.volume == 2) h.push_back("Corrected accelerogram   12345-S0001-24001.01       " + chan + "  from");
  h.push_back("Uncorrected Accelerogram Data             Processed: 01/02/24, SYN");
  h.push_back("Record of Tue Jan 2, 2024 10:00:00.0 PST          (synthetic)");
  h.push_back("Synthetic Processing            (Origin:  none)");
  h.push_back("12345-S0001-24001.01                 Start time:  1/2/24, 18:00:00.0 UTC");
  h.push_back("Station No. 12345   40.000N, 120.000W      Synth  s/n 1  (3 Chns of  3 at Sta)");
  h.push_back("Synthetic Creek                           SYN");
  h.push_back(chan);
  h.push_back("Record of Tue Jan 2, 2024 10:00:00.0 PST");
  h.push_back("Hypocenter:  none.               ML:  none.");
  h.push_back("Instr Period =  .0100 sec,  Damping =  .700");
  if (opt.volume == 2) {
    h.push_back("                        Record length = 1.000 sec.");
    h.push_back("                                     Uncor Max  =   .010 g , at   0.100 sec.");
    h.push_back("RMS accel of (uncor) record  =        .");
    h.push_back("Accelerogram bandpass filtered with 3 dB pts at   .30 and 40.00 cyc/sec");
    h.push_back(format("%6zu points of instrument- and baseline-corrected accel, veloc and displ data", points));
    h.push_back(format("At equally-spaced intervals of %7.3f  sec.", opt.interval));
    for (int k = 17; k <= 25; ++k) h.push_back(format("Text header line %d", k));
  } else {
    h.push_back(format("No. of Points = %6zu", points));
    h.push_back(opt.pairs ? "Units of uncor accel are sec and g/10.     Max  =  -.200 g, at  11.576 sec."
                          : "Units of uncor data are sec and g .");
    h.push_back("Synthetic record: 13 text lines, as in the agency's files");
  }
  // Integer header (15 per line, 100 values) and real header (8 per line).
  for (int k = 0; k < 100; k += 15) {
    std::string line;
    for (int j = k; j < k + 15 && j < 100; ++j) line += format("%5d", j);
    h.push_back(line);
  }
  const int reals = opt.volume == 2 ? 100 : 50;
  for (int k = 0; k < reals; k += 8) {
    std::string line;
    for (int j = k; j < k + 8 && j < reals; ++j) line += format("%10.4f", j * 0.5 - 9.0);
    h.push_back(line);
  }
  return h;
}

std::string descriptor_line(const GenChannel& ch, const GenOptions& opt) {
  const std::size_t points = ch.micro.size();
  if (opt.volume == 1)
    return format("%6zu Accelerogram points at %.0f pts/sec in units of g .      %s", points, 1.0 / opt.interval,
                  opt.state_format ? "Format: (8f9.6)" : "");
  return format("%6zu points of accel data equally spaced at %5.3f sec, in cm/sec2. %s", points, opt.interval,
                opt.state_format ? "(8f10.6)" : "");
}

std::string volume_file(const std::vector<GenChannel>& channels, const GenOptions& opt) {
  std::vector<std::string> lines;
  for (const GenChannel& ch : channels) {
    for (std::string& line : header_lines(ch, opt)) lines.push_back(line);
    if (opt.pairs) {
      for (std::string& line : pair_lines(ch.micro, opt.pair_ms)) lines.push_back(line);
    } else {
      lines.push_back(descriptor_line(ch, opt));
      for (std::string& line : data_lines(ch.micro, width_of(opt))) lines.push_back(line);
    }
    if (opt.volume == 2) {
      for (const char* what : {"veloc", "displ"}) {
        lines.push_back(format("%6zu points of %s data equally spaced at %5.3f sec, in cm.  (8f10.7)", ch.micro.size(),
                               what, opt.interval));
        for (std::string& line : data_lines(ch.micro, 10)) lines.push_back(line);
      }
    }
    lines.push_back(format("/&  ----------  End of data for channel %2d  ----------", ch.number));
  }
  std::string bytes;
  for (const std::string& line : lines) bytes.append(opt.upper ? upper(line) : line).append(opt.eol);
  bytes.append(static_cast<std::size_t>(opt.dos_padding), '\x1a');
  return bytes;
}

std::vector<long> pair_times(std::size_t count) {
  static const long steps[] = {5, 5, 4, 5, 6, 5, 5};
  std::vector<long> times;
  for (std::size_t k = 0; k < count; ++k) times.push_back(k == 0 ? 0 : times.back() + steps[k % 7]);
  return times;
}

std::vector<std::string> pair_lines(const std::vector<long>& milli, std::vector<long> times) {
  auto field = [](long thousandths) {
    long mag = std::labs(thousandths);
    std::string text =
        (thousandths < 0 ? "-" : "") + (mag >= 1000 ? std::to_string(mag / 1000) : "") + format(".%03ld", mag % 1000);
    return std::string(text.size() < 7 ? 7 - text.size() : 0, ' ') + text;
  };
  if (times.empty()) times = pair_times(milli.size());
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < milli.size(); ++k) {
    if (k % 5 == 0) lines.emplace_back();
    lines.back() += field(times[k]) + field(milli[k]);
  }
  return lines;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace kvb_test
