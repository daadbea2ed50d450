// kvb-trace: the curves of a read-KVB Acceleration CSV for plot-accel's
// gnuplot, as files of binary numbers, and each column's peak. Options,
// messages and exit statuses.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "steps/measure/velocity.h"
#include "trace.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: kvb-trace [--columns N] [--motion STEP] [--] CSV DIR\n"
    "Read a read-KVB Acceleration CSV (time, N00, N90, UP) and write, for\n"
    "drawing, DIR/accel2.bin, accel3.bin and accel4.bin: each column as pairs of\n"
    "64-bit reals in this machine's order (CSV time, value), reduced to the least\n"
    "and the greatest sample of each of N equal runs (default 1100, about a pixel\n"
    "column each; 0 keeps every sample). Prints a line a column: \"peak VALUE\n"
    "TIME\" of its largest magnitude, or \"none\" for zeros.\n"
    "\n"
    "  --motion STEP  also DIR/motionKC.bin: the velocity (K 0) and displacement\n"
    "                 (K 1) of column C (0 to 2) from rest, samples STEP s apart\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

int fail(const std::string& what) {
  std::fprintf(stderr, "kvb-trace: %s\n", what.c_str());
  return kExitFailure;
}

int usage_error(const std::string& what) {
  std::fprintf(stderr, "kvb-trace: %s\nTry 'kvb-trace --help' for more information.\n", what.c_str());
  return kExitUsage;
}

bool number(std::string_view text, double& v) {
  return !text.empty() && std::from_chars(text.data(), text.data() + text.size(), v).ptr == text.data() + text.size();
}

// The whole file, or false with errno set.
bool slurp(const char* name, std::string& text) {
  const int fd = open(name, O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0) return false;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    errno = EISDIR;
    return false;
  }
  // Room for what the file holds and a byte more, so that the read that finds its end needs no more.
  text.resize(st.st_size > 0 ? std::size_t(st.st_size) + 1 : 1);
  std::size_t got = 0;
  for (;;) {
    if (got == text.size()) text.resize(2 * got + 65536);
    const ssize_t n = read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = errno;
      close(fd);
      text.resize(got);
      errno = error;
      return n == 0;
    }
    got += std::size_t(n);
  }
}

bool write_curve(const std::string& name, const kvb::trace::Curve& curve) {
  std::FILE* out = std::fopen(name.c_str(), "wb");
  if (!out) return false;
  for (std::size_t k = 0; k < curve.time.size(); ++k) {
    const double pair[2] = {curve.time[k], curve.value[k]};
    std::fwrite(pair, sizeof pair, 1, out);
  }
  const bool ok = !std::ferror(out);
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  double columns = 1100, step = 0;
  bool motion = false, ended = false;  // ended: past "--", every argument is a name
  const char* operands[2] = {};
  int given = 0;
  for (int k = 1; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (!ended && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : kExitFailure;
    }
    if (!ended && arg == "--version") {
      std::printf("kvb-trace %s\n", KVB_VERSION);
      return std::fflush(stdout) == 0 ? 0 : kExitFailure;
    }
    if (arg == "--" && !ended) {
      ended = true;
    } else if (!ended && (arg == "--columns" || arg == "--motion")) {
      double& v = arg == "--columns" ? columns : step;
      if (k + 1 == argc || !number(argv[k + 1], v) || !(v >= 0) || v > 1e9 ||
          (arg == "--columns" ? v != std::floor(v) : v == 0))
        return usage_error(std::string("bad value for ") + argv[k]);
      motion |= arg == "--motion";
      ++k;
    } else if (given < 2 && (ended || arg.empty() || arg[0] != '-' || arg == "-")) {
      operands[given++] = argv[k];
    } else {
      return usage_error(given == 2 ? "too many arguments" : std::string("unknown option ") + argv[k]);
    }
  }
  if (given != 2) return usage_error("a CSV and a folder are needed");
  std::string text;
  if (!slurp(operands[0], text)) return fail(std::string(operands[0]) + ": " + std::strerror(errno));
  if (text.empty()) return fail(std::string(operands[0]) + ": no samples to plot (the file is empty)");
  long bad = 0;
  const auto csv = kvb::trace::parse(text, bad);
  if (!csv)
    return fail(std::string(operands[0]) + ":" + std::to_string(bad) +
                ": not a line of a read-KVB Acceleration CSV (time and three values)");
  const std::string dir = std::string(operands[1]) + "/";
  for (int c = 0; c < 3; ++c) {
    const std::string name = dir + "accel" + std::to_string(c + 2) + ".bin";
    if (!write_curve(name, kvb::trace::reduced(csv->time, csv->value[c], std::size_t(columns))))
      return fail("cannot write " + name + ": " + std::strerror(errno));
    if (!motion) continue;
    std::vector<double> accel = csv->value[c];
    for (double& a : accel) a = std::isnan(a) ? 0.0 : a;  // a value too wide for its field counts as zero
    const auto velocity = velocity_of(accel, step);
    for (int kind = 0; kind < 2; ++kind) {
      const std::string motion_name = dir + "motion" + std::to_string(kind) + std::to_string(c) + ".bin";
      const auto series = kind == 0 ? velocity : velocity_of(velocity, step);
      if (!write_curve(motion_name, kvb::trace::reduced(csv->time, series, std::size_t(columns))))
        return fail("cannot write " + motion_name + ": " + std::strerror(errno));
    }
  }
  for (const auto& column : csv->value) {
    if (const auto k = kvb::trace::peak(column)) std::printf("peak %.17g %.17g\n", column[*k], csv->time[*k]);
    else std::puts("none");
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : fail("cannot write the peaks");
}
