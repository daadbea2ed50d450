// kvb-split: cuts distributed Volume 1/2 strong-motion files into the three
// component files that read-KVB reads. Options, messages and exit statuses.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "orientation.h"
#include "output_files.h"
#include "signals.h"
#include "volume_reader.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr double kReadKvbInterval = 0.005;  // read-KVB's fixed time step
constexpr long kReadKvbSamples = 33000;     // read-KVB's samples per component

const char kUsage[] =
    "Usage: kvb-split [-f] [-o DIR] FILE...\n"
    "Split one three-channel Volume 1 or Volume 2 strong-motion file, or three\n"
    "single-channel files, into KVB-N00.txt, KVB-N90.txt and KVB-UP.txt for read-KVB.\n"
    "\n"
    "  -o, --output-dir DIR  write the component files into DIR (default: the\n"
    "                        current directory; DIR is created if missing)\n"
    "  -f, --force           replace component files that exist already\n"
    "  -h, --help            show this help and exit\n"
    "\n"
    "The horizontal channel at 0 or 360 degrees (else the first horizontal) goes to\n"
    "KVB-N00.txt, the other horizontal to KVB-N90.txt, the vertical to KVB-UP.txt.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

struct Options {
  std::string dir = ".";
  bool force = false;
  std::vector<std::string> inputs;
};

int usage_error(const std::string& what) {
  std::fprintf(stderr, "kvb-split: %s\nTry 'kvb-split --help' for more information.\n", what.c_str());
  return kExitUsage;
}

// Returns -1 when the run should go on, else the exit status.
int parse_options(int argc, char** argv, Options& opt) {
  bool options_done = false;
  for (int k = 1; k < argc; ++k) {
    std::string arg = argv[k];
    if (options_done || arg == "-" || arg.empty() || arg[0] != '-') {
      opt.inputs.push_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "-f" || arg == "--force") {
      opt.force = true;
    } else if (arg == "-o" || arg == "--output-dir") {
      if (++k == argc) return usage_error("option " + arg + " needs a directory");
      opt.dir = argv[k];
    } else if (arg.compare(0, 13, "--output-dir=") == 0) {
      opt.dir = arg.substr(13);
    } else if (arg.compare(0, 2, "-o") == 0 && arg.size() > 2) {
      opt.dir = arg.substr(2);
    } else {
      return usage_error("unknown option " + arg);
    }
  }
  if (opt.inputs.empty()) return usage_error("no input file");
  if (opt.dir.empty()) return usage_error("empty output directory name");
  return -1;
}

std::string describe(const Channel& ch) {
  return ch.source + " channel " + std::to_string(ch.header.channel) + " (" + ch.header.orientation + ")";
}

void warn(const std::string& what) { std::fprintf(stderr, "kvb-split: warning: %s\n", what.c_str()); }

std::string seconds(double interval) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", interval);
  return text;
}

void warn_about(const std::vector<Channel>& channels, const std::array<std::size_t, 3>& pick) {
  const Channel& n00 = channels[pick[kN00]];
  const Channel& n90 = channels[pick[kN90]];
  const Channel& up = channels[pick[kUp]];
  auto off_step = [](const Channel& ch) {
    return std::fabs(ch.descriptor.interval - kReadKvbInterval) > 1e-9;
  };
  const char* assumed = ", but read-KVB's time column assumes 0.005 s";
  if (n00.descriptor.interval == up.descriptor.interval &&
      n90.descriptor.interval == up.descriptor.interval) {
    if (off_step(up))
      warn("the sample interval is " + seconds(up.descriptor.interval) + assumed);
  } else {
    for (const Channel* ch : {&n00, &n90, &up}) {
      if (off_step(*ch))
        warn(describe(*ch) + ": the sample interval is " + seconds(ch->descriptor.interval) + assumed);
    }
  }
  for (const Channel* ch : {&n00, &n90, &up}) {
    if (ch->descriptor.points > kReadKvbSamples)
      warn(describe(*ch) + ": " + std::to_string(ch->descriptor.points) +
           " points, but read-KVB holds at most " + std::to_string(kReadKvbSamples) +
           " samples per component");
  }
  if (n00.descriptor.points != up.descriptor.points || n90.descriptor.points != up.descriptor.points)
    warn("the components hold different numbers of points (N00 " +
         std::to_string(n00.descriptor.points) + ", N90 " + std::to_string(n90.descriptor.points) +
         ", UP " + std::to_string(up.descriptor.points) +
         "); read-KVB writes as many lines as KVB-UP.txt gives");
}

int split(const Options& opt) {
  const std::vector<std::string> names(kComponentNames.begin(), kComponentNames.end());
  OutputDir out(opt.dir, opt.force);
  out.check_free(names);

  std::vector<Channel> channels;
  for (const std::string& input : opt.inputs) read_volume(input, out, channels);

  std::string list;
  std::vector<Orientation> orientations;
  for (const Channel& ch : channels) {
    list += "\n  " + describe(ch);
    orientations.push_back(ch.orientation);
  }
  if (channels.size() != 3)
    throw SplitError("need exactly three channels, found " + std::to_string(channels.size()) + ":" + list);
  std::string why;
  auto pick = assign_components(orientations, why);
  if (!pick) throw SplitError(why + ":" + list);

  warn_about(channels, *pick);
  // What goes where is said before the files are placed: a run that cannot
  // say it places nothing, so that failure and placed files never go together.
  for (int c : {kN00, kN90, kUp}) {
    const Channel& ch = channels[(*pick)[static_cast<std::size_t>(c)]];
    std::printf("%s <- %s, %ld points\n", out.path(names[static_cast<std::size_t>(c)]).c_str(),
                describe(ch).c_str(), ch.descriptor.points);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    throw SplitError(std::string("standard output: ") + std::strerror(errno) + "; no component file was placed");
  out.place({channels[(*pick)[kN00]].temp, channels[(*pick)[kN90]].temp, channels[(*pick)[kUp]].temp},
            names);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  int status = parse_options(argc, argv, opt);
  if (status >= 0) return status;
  // An interrupt removes the temporary files and ends the run; while the
  // files are being placed it waits, so that it leaves all three or none.
  setup_signals();
  try {
    status = split(opt);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kvb-split: %s\n", e.what());
    status = kExitFailure;
  }
  return status;
}
