// kvb-measure: the engineering summary, the response spectrum and the
// analysis exports of record folders that kvb-split wrote. Options, messages
// and exit statuses.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "measure.h"
#include "record/split_error.h"

using namespace kvb;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: kvb-measure [--export columns,csv,at2] [--units g|m/s2|cm/s2]\n"
    "                   [--periods P,P,...] DIR...\n"
    "Measure the record in each DIR that kvb-split wrote (KVB-N00.txt, KVB-N90.txt,\n"
    "KVB-UP.txt and KVB-record.json): PGA, PGV and PGD (trapezoidal rule from\n"
    "rest, no baseline correction), Arias intensity, D5-95 and the 5 %-damped\n"
    "pseudo-spectral acceleration. Writes DIR/spectrum.csv, adds \"summary\" to\n"
    "DIR/KVB-record.json and prints one line a record.\n"
    "\n"
    "  -e, --export LIST  also write, for analysis programs:\n"
    "                       columns  N00_<unit>_dt<step>.txt (one value a line) for\n"
    "                                each component, and its OpenSees line\n"
    "                       csv      accel_<unit>.csv (time_s and the components)\n"
    "                       at2      N00.AT2, N90.AT2, UP.AT2 (PEER layout, in g)\n"
    "  -u, --units UNIT   the unit of columns and csv: g (default), m/s2, cm/s2\n"
    "  -p, --periods LIST the spectrum's periods in seconds (default: the 21 from\n"
    "                     0.01 to 10 s)\n"
    "  -h, --help         show this help and exit\n"
    "      --version      show the version and exit\n"
    "Exit status: 0 success, 1 a record failed, 2 usage error.\n";

int usage_error(const std::string& what) {
  std::fprintf(stderr, "kvb-measure: %s\nTry 'kvb-measure --help' for more information.\n", escaped(what).c_str());
  return kExitUsage;
}

// "columns,csv" into opt; false for a name it does not know.
bool parse_exports(const std::string& list, MeasureOptions& opt) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = list.find(',', from);
    const std::string name = list.substr(from, comma - from);
    if (name == "columns") {
      opt.columns = true;
    } else if (name == "csv") {
      opt.csv = true;
    } else if (name == "at2") {
      opt.at2 = true;
    } else {
      return false;
    }
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

// "0.1,1,10": positive finite periods; empty otherwise.
std::vector<double> parse_periods(const char* text) {
  std::vector<double> periods;
  for (const char* p = text;;) {
    char* end = nullptr;
    errno = 0;
    const double period = std::strtod(p, &end);
    if (end == p || errno != 0 || !std::isfinite(period) || !(period > 0)) return {};
    periods.push_back(period);
    if (*end == '\0') return periods;
    if (*end != ',') return {};
    p = end + 1;
  }
}

// Returns -1 when the run should go on, else the exit status.
int parse_options(int argc, char** argv, MeasureOptions& opt, std::vector<std::string>& dirs) {
  static const option kLong[] = {
      {"export", required_argument, nullptr, 'e'},  {"units", required_argument, nullptr, 'u'},
      {"periods", required_argument, nullptr, 'p'}, {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},       {nullptr, 0, nullptr, 0}};
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv, ":e:u:p:h", kLong, nullptr);
    if (c == -1) break;
    const std::string arg = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    switch (c) {
      case 'e':
        if (!parse_exports(optarg, opt))
          return usage_error(std::string("--export takes columns, csv or at2, separated by commas, not ") + optarg);
        break;
      case 'u':
        opt.unit = unit_named(optarg);
        if (!opt.unit) return usage_error(std::string("--units takes g, m/s2 or cm/s2, not ") + optarg);
        break;
      case 'p':
        opt.periods = parse_periods(optarg);
        if (opt.periods.empty())
          return usage_error(std::string("--periods takes positive seconds separated by commas, not ") + optarg);
        if (std::any_of(opt.periods.begin(), opt.periods.end(), [](double p) { return p < 0.001 || p > 100.0; }))
          return usage_error(std::string("--periods takes periods from 0.001 to 100 s, not ") + optarg);
        break;
      case 'h': std::fputs(kUsage, stdout); return std::fflush(stdout) == 0 ? 0 : kExitFailure;
      case 'V': std::puts("kvb-measure " KVB_VERSION); return std::fflush(stdout) == 0 ? 0 : kExitFailure;
      case ':': return usage_error("option " + arg.substr(0, arg.find('=')) + " needs a value");
      default:
        return usage_error("unknown option " + (optopt != 0 && arg.compare(0, 2, "--") != 0
                                                    ? std::string("-") + static_cast<char>(optopt)
                                                    : arg.substr(0, arg.find('='))));
    }
  }
  for (int k = optind; k < argc; ++k) dirs.push_back(argv[k]);
  if (dirs.empty()) return usage_error("no record folder");
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  MeasureOptions opt;
  std::vector<std::string> dirs;
  const int status = parse_options(argc, argv, opt, dirs);
  if (status >= 0) return status;
  int exit_status = 0;
  for (const std::string& dir : dirs) {
    try {
      const std::string line = measure_folder(dir, opt);
      std::printf("%s\n", line.c_str());
    } catch (const std::exception& e) {
      std::fflush(stdout);
      std::fprintf(stderr, "kvb-measure: %s\n", e.what());
      exit_status = kExitFailure;
    }
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "kvb-measure: standard output: %s\n", std::strerror(errno));
    exit_status = kExitFailure;
  }
  return exit_status;
}
