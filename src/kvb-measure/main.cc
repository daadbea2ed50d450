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
    "                   [--periods P,P,...] [--damping D,D,...]\n"
    "                   [--short-periods exact|band-limited]\n"
    "                   [--fas-smoothing konno-ohmachi[:B]] DIR...\n"
    "Measure the record in each DIR that kvb-split wrote (KVB-record.json and\n"
    "KVB-full.csv; the component files of a folder written before it): each\n"
    "component's own samples at the record's own step, the whole record.\n"
    "PGA, PGV and PGD (trapezoidal rule from rest, no baseline\n"
    "correction), Arias intensity, D5-95, D5-75, CAV, Housner intensity, the\n"
    "response spectra (PSA, SA, SD, SV) and RotD50/RotD100 of the two horizontals.\n"
    "Writes DIR/spectrum.csv and DIR/fas.csv, adds \"summary\" to\n"
    "DIR/KVB-record.json and prints one line a record.\n"
    "\n"
    "  -e, --export LIST  also write, for analysis programs:\n"
    "                       columns  N00_<unit>_dt<step>.txt (one value a line) for\n"
    "                                each component, and its OpenSees line\n"
    "                       csv      accel_<unit>.csv (time_s and the components)\n"
    "                       at2      N00.AT2, N90.AT2, UP.AT2 (PEER layout, in g)\n"
    "  -u, --units UNIT   the unit of columns and csv: g (default), m/s2, cm/s2\n"
    "      --step SECONDS the exports resampled to this step (linear where it\n"
    "                     divides the record's, else band-limited); the default\n"
    "                     is the record's own step. The measures are of the\n"
    "                     record's own samples whatever the step\n"
    "  -p, --periods LIST the spectrum's periods in seconds, 0.001 to 100 (default:\n"
    "                     100 from 0.01 to 10 s and the 21 of NGA-West2, 117 in all)\n"
    "  -d, --damping LIST the spectra's damping ratios (default 0.05; the 5 %\n"
    "                     spectrum and RotD are always measured)\n"
    "      --short-periods exact|band-limited\n"
    "                     periods below 10 steps on the record's own samples\n"
    "                     (exact, the default) or on a Fourier upsampling of it\n"
    "      --fas-smoothing konno-ohmachi[:B]\n"
    "                     smooth fas.csv (Konno-Ohmachi, B default 40)\n"
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

bool positive(double x) { return x > 0; }

// "0.1,1,10": finite numbers that `fits` takes; empty otherwise.
std::vector<double> parse_numbers(const char* text, bool (*fits)(double)) {
  std::vector<double> numbers;
  for (const char* p = text;;) {
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(p, &end);
    if (end == p || errno != 0 || !std::isfinite(number) || !fits(number)) return {};
    numbers.push_back(number);
    if (*end == '\0') return numbers;
    if (*end != ',') return {};
    p = end + 1;
  }
}

// "konno-ohmachi" or "konno-ohmachi:B" (B above zero); false otherwise.
bool parse_smoothing(const std::string& text, MeasureOptions& opt) {
  const std::string name = "konno-ohmachi";
  if (text == name) {
    opt.konno_ohmachi_b = 40.0;
    return true;
  }
  if (text.compare(0, name.size() + 1, name + ":") != 0) return false;
  const std::vector<double> b = parse_numbers(text.c_str() + name.size() + 1, positive);
  if (b.size() != 1) return false;
  opt.konno_ohmachi_b = b[0];
  return true;
}

// Returns -1 when the run should go on, else the exit status.
int parse_options(int argc, char** argv, MeasureOptions& opt, std::vector<std::string>& dirs) {
  static const option kLong[] = {{"export", required_argument, nullptr, 'e'},
                                 {"units", required_argument, nullptr, 'u'},
                                 {"periods", required_argument, nullptr, 'p'},
                                 {"damping", required_argument, nullptr, 'd'},
                                 {"short-periods", required_argument, nullptr, 'S'},
                                 {"fas-smoothing", required_argument, nullptr, 'F'},
                                 {"step", required_argument, nullptr, 's'},
                                 {"help", no_argument, nullptr, 'h'},
                                 {"version", no_argument, nullptr, 'V'},
                                 {nullptr, 0, nullptr, 0}};
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv, ":e:u:p:d:h", kLong, nullptr);
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
        opt.periods = parse_numbers(optarg, positive);
        if (opt.periods.empty())
          return usage_error(std::string("--periods takes positive seconds separated by commas, not ") + optarg);
        if (std::any_of(opt.periods.begin(), opt.periods.end(), [](double p) { return p < 0.001 || p > 100.0; }))
          return usage_error(std::string("--periods takes periods from 0.001 to 100 s, not ") + optarg);
        break;
      case 'd':
        opt.dampings = parse_numbers(optarg, [](double d) { return d >= 0 && d < 1; });
        for (auto d = opt.dampings.begin(); d != opt.dampings.end(); ++d)  // each once, in the order given
          opt.dampings.erase(std::remove(d + 1, opt.dampings.end(), *d), opt.dampings.end());
        if (opt.dampings.empty())
          return usage_error(std::string("--damping takes ratios from 0 to below 1 separated by commas, not ") +
                             optarg);
        break;
      case 'S':
        if (std::strcmp(optarg, "exact") == 0) {
          opt.short_periods = ShortPeriods::kExact;
        } else if (std::strcmp(optarg, "band-limited") == 0) {
          opt.short_periods = ShortPeriods::kBandLimited;
        } else {
          return usage_error(std::string("--short-periods takes exact or band-limited, not ") + optarg);
        }
        break;
      case 's': {
        const std::vector<double> step = parse_numbers(optarg, positive);
        if (step.size() != 1 || step[0] < 1e-6 || step[0] > 10)
          return usage_error(std::string("--step takes the exports' seconds between samples, not ") + optarg);
        opt.export_step = step[0];
        break;
      }
      case 'F':
        if (!parse_smoothing(optarg, opt))
          return usage_error(std::string("--fas-smoothing takes konno-ohmachi or konno-ohmachi:B (B above 0), not ") +
                             optarg);
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
