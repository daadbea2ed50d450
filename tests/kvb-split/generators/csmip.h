// Synthetic Volume 1 and Volume 2 files in the manner of the agencies' text
// records: per channel a text header, integer and real headers, the
// acceleration block (Volume 2 also velocity and displacement), then "/&".
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

struct GenChannel {
  int number = 1;
  std::string orientation = "360 Deg";  // as it stands after "Chan  1:"
  std::vector<long> micro;              // samples in millionths (thousandths for pairs)
};

struct GenOptions {
  int volume = 2;             // 1: fields of 9 columns, rate in pts/sec; 2: 10 columns
  bool upper = false;         // all text in upper case, as in older records
  const char* eol = "\n";     // or "\r\n"
  double interval = 0.005;    // seconds
  bool state_format = true;   // "(8f10.6)" at the end of the descriptor
  int dos_padding = 0;        // 0x1A bytes after the last line
  bool pairs = false;         // volume 1 of the film era: time/value pairs in g/10, no descriptor
  std::vector<long> pair_ms;  // the pairs' times in milliseconds; empty: pair_times
};

// Deterministic samples with both signs; the first fills its whole field
// (touching the field before it), one is zero, none has an exact half at the
// third decimal. Magnitudes stay below limit millionths.
std::vector<long> samples(int count, int seed, long limit);

// "%.6f" without the leading zero, right-justified: (-10, 10) -> "  -.000010".
std::string value_text(long micro, int width);

// The data lines of samples: eight per line, each value in width columns.
std::vector<std::string> data_lines(const std::vector<long>& micro, int width);

// The lines before the acceleration descriptor of one channel, and the
// descriptor itself, as volume_file writes them (before upper-casing).
std::vector<std::string> header_lines(const GenChannel& ch, const GenOptions& opt);
std::string descriptor_line(const GenChannel& ch, const GenOptions& opt);

// The film-era pairs: each sample's time in milliseconds (steps of 4 to 6),
// and the data lines of five pairs (time, value in thousandths) in 7-column
// fields.
std::vector<long> pair_times(std::size_t count);
std::vector<std::string> pair_lines(const std::vector<long>& milli, std::vector<long> times = {});

// The whole file.
std::string volume_file(const std::vector<GenChannel>& channels, const GenOptions& opt);

std::string upper(std::string s);

}  // namespace kvb_test
