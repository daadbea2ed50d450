// Writes the two inputs split_bench.sh measures kvb-split on, made by the
// test generators: a three-channel Volume 2 file at 0.005 s whose data lines
// kvb-split copies byte for byte (copy.V2, 13200 points a channel, the size
// of a long corrected record), and one at 0.02 s of 15000 points a channel
// that it resamples and windows (resample.V2). The samples stay within
// ±100 cm/s², the widest that "%.6f" fits in 10 columns.
#include <cstdio>
#include <string>
#include <vector>

#include "generators/csmip.h"

namespace {

bool write(const std::string& path, int points, double interval) {
  std::vector<kvb_test::GenChannel> channels;
  const char* orientations[] = {"360 Deg", "Up", "90 Deg"};
  for (int c = 0; c < 3; ++c) channels.push_back({c + 1, orientations[c], kvb_test::samples(points, c + 1, 99999999)});
  kvb_test::GenOptions opt;
  opt.interval = interval;
  const std::string bytes = kvb_test::volume_file(channels, opt);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_split_input DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  if (!write(dir + "/copy.V2", 13200, 0.005) || !write(dir + "/resample.V2", 15000, 0.02)) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
