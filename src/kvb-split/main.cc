// kvb-split: cuts agency strong-motion files into the three component files
// that read-KVB reads. Options, messages and exit statuses.
#include <getopt.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component_layout.h"
#include "readers/format.h"
#include "readers/identify.h"
#include "readers/mseed.h"
#include "readers/sac.h"
#include "steps/process/chain.h"
#include "steps/selection.h"
#include "steps/timing.h"
#include "writers/component_file.h"
#include "writers/full_record_file.h"
#include "writers/output_files.h"
#include "writers/record_file.h"
#include "writers/signals.h"

namespace kvb {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The largest input read: a record of a million samples in three blocks of
// 10-column fields is some 35 MB; anything far larger is not such a file.
constexpr std::size_t kMaxInputBytes = std::size_t{256} << 20;

const char kUsage[] =
    "Usage: kvb-split [-f] [-o DIR] [--format NAME] [--channels N00,N90[,UP]] [--borehole]\n"
    "                 [--resample[=METHOD] | --keep-interval] [--window auto|START:END]\n"
    "                 [--missing-vertical zeros] [--filter auto|none|LOW:HIGH]\n"
    "                 [--filter-order N] [--taper FRACTION] [--process-corrected]\n"
    "                 [--sac-unit UNIT] FILE...\n"
    "Split the strong-motion files of one record (one file with all channels, or a\n"
    "file per channel) into KVB-N00.txt, KVB-N90.txt and KVB-UP.txt for read-KVB,\n"
    "with the acceleration in cm/s².\n"
    "\n"
    "  -o, --output-dir DIR  write the component files into DIR (default: the\n"
    "                        current directory; DIR is created if missing)\n"
    "  -f, --force           replace component files that exist already\n"
    "  -F, --format NAME     read every FILE as format NAME instead of recognising\n"
    "                        it from its content (names below)\n"
    "  -c, --channels A,B,C  the channels for N00, N90 and UP, numbered as in the\n"
    "                        list kvb-split shows when there are more than three,\n"
    "                        or named (the channel's number or orientation as its\n"
    "                        file writes it, or its file's extension: NS2,EW2,UD2);\n"
    "                        A,B (two horizontals) with --missing-vertical zeros.\n"
    "                        Without it, of more channels than three the set at the\n"
    "                        surface, free field or ground level is taken where\n"
    "                        the files say which that is\n"
    "      --borehole        take the borehole's set instead (KiK-net)\n"
    "      --resample        resample a record whose interval is not 0.005 s, or\n"
    "                        whose samples are at uneven times, to 0.005 s: linear\n"
    "                        (keeping every sample) where 0.005 s divides the\n"
    "                        interval, else band-limited\n"
    "      --resample=linear, --resample=band-limited  the one method for any interval\n"
    "      --keep-interval   keep such a record's samples as they are (the CSV's time\n"
    "                        column then needs multiplying by interval/0.005)\n"
    "      --window auto     of a record longer than read-KVB holds (32992 samples),\n"
    "                        keep the 32992 with the strongest shaking\n"
    "      --window START:END  keep the seconds START to END from the first sample\n"
    "      --missing-vertical zeros  for a record of two horizontals, write a\n"
    "                        KVB-UP.txt of zeros\n"
    "      --missing-horizontal zeros  for a record of one horizontal, write the\n"
    "                        other horizontal's file of zeros\n"
    "      --filter auto     process an uncorrected record (the default): pre-event\n"
    "                        mean, cosine taper, zero-phase Butterworth band-pass\n"
    "                        with corners from its signal-to-noise ratio, baseline\n"
    "      --filter LOW:HIGH  the same with the corners LOW and HIGH Hz\n"
    "      --filter none     keep an uncorrected record as recorded\n"
    "      --filter-order N  the band-pass's order a pass (default 4)\n"
    "      --taper FRACTION  the share tapered at each end (default 0.05)\n"
    "      --process-corrected  process a corrected record too (with LOW:HIGH)\n"
    "      --sac-unit UNIT   SAC samples of acceleration or of no stated unit are\n"
    "                        in UNIT (g, m/s2, cm/s2, nm/s2), not SAC's nm/s²\n"
    "  -h, --help            show this help and exit\n"
    "      --version         show the version and exit\n"
    "\n"
    "Beside the component files, KVB-full.csv holds the record at its own step and\n"
    "whole (time_s and the components in cm/s², for the measures), and\n"
    "KVB-record.json tells what they hold and what was\n"
    "done: station, units, intervals, window, the CSV's real time step, peaks.\n"
    "The vertical channel goes to KVB-UP.txt, the horizontal nearer the north-south\n"
    "axis to KVB-N00.txt (the first horizontal when the file gives no azimuth), the\n"
    "other to KVB-N90.txt.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n"
    "\n"
    "Formats:\n";

struct Options {
  std::string dir = ".";
  bool force = false;
  const AgencyFormat* format = nullptr;   // recognised from the content when null
  std::vector<std::string> channels;      // --channels: numbers (1-based) or names
  Sensor sensor = Sensor::kGround;        // --borehole
  bool missing_vertical_zeros = false;    // --missing-vertical zeros: two horizontals may have an UP of zeros
  bool missing_horizontal_zeros = false;  // --missing-horizontal zeros: one horizontal may have a second of zeros
  TimeOptions time;                       // --resample, --keep-interval, --window
  ProcessOptions process;                 // --filter, --filter-order, --taper, --process-corrected
  std::optional<SacUnit> sac_unit;        // --sac-unit
  std::vector<std::string> inputs;
};

// Long options without a letter of their own.
enum LongOnly {
  kResample = 256,
  kKeepInterval,
  kWindow,
  kMissingVertical,
  kMissingHorizontal,
  kBorehole,
  kFilter,
  kFilterOrder,
  kTaper,
  kProcessCorrected,
  kSacUnit
};

constexpr const char* kSacUnitWords = "--sac-unit takes g, m/s2, cm/s2 or nm/s2, not ";

int usage_error(const std::string& what) {
  std::fprintf(stderr, "kvb-split: %s\nTry 'kvb-split --help' for more information.\n", escaped(what).c_str());
  return kExitUsage;
}

std::string format_names() {
  std::string names;
  for (const AgencyFormat& f : formats()) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return names;
}

void print_usage() {
  std::fputs(kUsage, stdout);
  for (const AgencyFormat& f : formats())
    std::printf("  %-10s %.*s\n", std::string(f.name).c_str(), static_cast<int>(f.description.size()),
                f.description.data());
  std::fputs(kIdentifyUsage, stdout);
}

// "linear", "band-limited": --resample='s METHOD.
std::optional<ResampleMethod> resample_method(const char* text) {
  for (ResampleMethod m : {ResampleMethod::kLinear, ResampleMethod::kBandLimited})
    if (method_name(m) == text) return m;
  return std::nullopt;
}

// "4,5,6" -> {"4", "5", "6"}, "NS2,EW2,UD2" -> names; empty when it is not two
// or three words of letters and digits (a number at least 1).
std::vector<std::string> channel_words(const char* text) {
  std::vector<std::string> words(1);
  for (const char* p = text; *p; ++p) {
    if (*p == ',') {
      words.emplace_back();
    } else if (std::isalnum(static_cast<unsigned char>(*p)) || *p == '-' || *p == '_') {
      words.back() += *p;
    } else {
      return {};
    }
  }
  for (const std::string& w : words) {
    if (w.empty() || w.find_first_not_of('0') == std::string::npos || w.size() > 32) return {};
  }
  if (words.size() != 2 && words.size() != 3) return {};
  return words;
}

const option kLongOptions[] = {{"output-dir", required_argument, nullptr, 'o'},
                               {"force", no_argument, nullptr, 'f'},
                               {"format", required_argument, nullptr, 'F'},
                               {"channels", required_argument, nullptr, 'c'},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, 'V'},
                               {"resample", optional_argument, nullptr, kResample},
                               {"keep-interval", no_argument, nullptr, kKeepInterval},
                               {"window", required_argument, nullptr, kWindow},
                               {"missing-vertical", required_argument, nullptr, kMissingVertical},
                               {"missing-horizontal", required_argument, nullptr, kMissingHorizontal},
                               {"borehole", no_argument, nullptr, kBorehole},
                               {"filter", required_argument, nullptr, kFilter},
                               {"filter-order", required_argument, nullptr, kFilterOrder},
                               {"taper", required_argument, nullptr, kTaper},
                               {"process-corrected", no_argument, nullptr, kProcessCorrected},
                               {"sac-unit", required_argument, nullptr, kSacUnit},
                               {nullptr, 0, nullptr, 0}};

// --resample[=METHOD] or --keep-interval, as c says; -1 when the run should
// go on, else the exit status.
int take_interval_choice(int c, Options& opt) {
  const IntervalChoice choice = c == kResample ? IntervalChoice::kResample : IntervalChoice::kKeep;
  if (opt.time.interval != IntervalChoice::kRefuse && opt.time.interval != choice)
    return usage_error("--resample and --keep-interval exclude each other");
  opt.time.interval = choice;
  if (c == kResample && optarg) {
    opt.time.method = resample_method(optarg);
    if (!opt.time.method) return usage_error(std::string("--resample takes linear or band-limited, not ") + optarg);
  }
  return -1;
}

// --filter, --filter-order, --taper or --process-corrected, as c says; -1
// when the run should go on, else the exit status.
int take_processing(int c, ProcessOptions& process) {
  std::string why;
  char* end = nullptr;
  switch (c) {
    case kFilter:
      if (!parse_filter(optarg, process, why)) return usage_error(std::string("--filter ") + why + ", not " + optarg);
      return -1;
    case kFilterOrder: {
      const long order = std::strtol(optarg, &end, 10);
      if (end == optarg || *end != '\0' || order < 1 || order > 8)
        return usage_error(std::string("--filter-order takes a whole number from 1 to 8, not ") + optarg);
      process.order = static_cast<int>(order);
      return -1;
    }
    case kTaper:
      process.taper = std::strtod(optarg, &end);
      if (end == optarg || *end != '\0' || !(process.taper >= 0 && process.taper <= 0.5))
        return usage_error(std::string("--taper takes a fraction from 0 to 0.5, not ") + optarg);
      return -1;
    default: process.corrected_too = true; return -1;
  }
}

// One option as getopt_long gives it (c, with optarg), arg as the user wrote
// it; -1 when the run should go on, else the exit status.
int take_option(int c, const std::string& arg, Options& opt) {
  switch (c) {
    case 'o':
      opt.dir = optarg;
      if (opt.dir.empty()) return usage_error("empty output directory name");
      return -1;
    case 'f': opt.force = true; return -1;
    case 'F':
      opt.format = nullptr;
      for (const AgencyFormat& f : formats())
        if (f.name == optarg) opt.format = &f;
      if (!opt.format)
        return usage_error(std::string("unknown format ") + optarg + " (formats: " + format_names() + ")");
      return -1;
    case 'c':
      opt.channels = channel_words(optarg);
      if (opt.channels.empty())
        return usage_error(std::string("--channels takes three channel numbers or names, as in 4,5,6 or ") +
                           "NS2,EW2,UD2, or two horizontals, as in 4,5, not " + optarg);
      return -1;
    case kResample:
    case kKeepInterval: return take_interval_choice(c, opt);
    case kWindow: {
      std::string why;
      opt.time.window = parse_window(optarg, why);
      if (!opt.time.window) return usage_error(std::string("--window ") + optarg + ": " + why);
      return -1;
    }
    case kBorehole: opt.sensor = Sensor::kBorehole; return -1;
    case kSacUnit:
      opt.sac_unit = sac_unit_named(optarg);
      if (!opt.sac_unit) return usage_error(std::string(kSacUnitWords) + optarg);
      return -1;
    case kMissingHorizontal:
      if (std::strcmp(optarg, "zeros") != 0)
        return usage_error(std::string("--missing-horizontal takes zeros, not ") + optarg);
      opt.missing_horizontal_zeros = true;
      return -1;
    case kMissingVertical:
      if (std::strcmp(optarg, "zeros") != 0)
        return usage_error(std::string("--missing-vertical takes zeros, not ") + optarg);
      opt.missing_vertical_zeros = true;
      return -1;
    case kFilter:
    case kFilterOrder:
    case kTaper:
    case kProcessCorrected: return take_processing(c, opt.process);
    case 'h': print_usage(); return std::fflush(stdout) == 0 ? 0 : kExitFailure;
    case 'V': std::puts("kvb-split " KVB_VERSION); return std::fflush(stdout) == 0 ? 0 : kExitFailure;
    case ':':
      return usage_error("option " + arg.substr(0, arg.find('=')) + " needs " +
                         (optopt == 'o' ? "a directory" : "a value"));
    default:
      return usage_error("unknown option " + (optopt != 0 && arg.compare(0, 2, "--") != 0
                                                  ? std::string("-") + static_cast<char>(optopt)
                                                  : arg.substr(0, arg.find('='))));
  }
}

// Returns -1 when the run should go on, else the exit status.
int parse_options(int argc, char** argv, Options& opt) {
  opterr = 0;
  for (;;) {
    int c = getopt_long(argc, argv, ":o:fF:c:h", kLongOptions, nullptr);
    if (c == -1) break;
    // The option just read (argv[optind - 1] after it), as the user wrote it.
    std::string arg = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    if (int status = take_option(c, arg, opt); status >= 0) return status;
  }
  for (int k = optind; k < argc; ++k) opt.inputs.push_back(argv[k]);
  if (opt.inputs.empty()) return usage_error("no input file");
  if (opt.process.corrected_too && opt.process.corners != ProcessOptions::Corners::kGiven)
    return usage_error("--process-corrected needs the corners: --filter LOW:HIGH");
  if (opt.channels.size() == 2 && !opt.missing_vertical_zeros)
    return usage_error("--channels with two horizontals needs --missing-vertical zeros");
  return -1;
}

void warn(const std::string& what) { std::fprintf(stderr, "kvb-split: warning: %s\n", what.c_str()); }

// What read-KVB does with components of different lengths.
void warn_about(const std::array<Channel, 3>& chosen) {
  const std::size_t n00 = chosen[kN00].samples.size(), n90 = chosen[kN90].samples.size(),
                    up = chosen[kUp].samples.size();
  if (n00 != up || n90 != up)
    warn("the components hold different numbers of points (N00 " + std::to_string(n00) + ", N90 " +
         std::to_string(n90) + ", UP " + std::to_string(up) + "); read-KVB writes as many lines as KVB-UP.txt gives");
}

// The vertical of zeros for a record of two horizontals (--missing-vertical
// zeros), of the station of n00; its samples come later, as many as the
// horizontals have.
// The channel of zeros that stands for component c, which the record lacks,
// beside one it has.
Channel zeros_for(std::size_t c, const Channel& beside) {
  Channel zeros;
  zeros.source = "zeros";
  zeros.format = beside.format;
  zeros.station_code = beside.station_code;
  zeros.station_name = beside.station_name;
  zeros.start_time = beside.start_time;
  zeros.number = layout::kComponents[c];
  zeros.orientation_text = c == kUp ? "zeros, the record has no vertical" : "zeros, the record has one horizontal";
  zeros.orientation = {c == kUp ? Axis::kVertical : Axis::kHorizontal, -1};
  zeros.interval = beside.times.empty() ? beside.interval : kReadKvbInterval;
  return zeros;
}

std::string peak_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

// "resampled from 0.02 s to 0.005 s, linear (...); peaks N00 -973.300 -> -973.300 cm/s², ...":
// the method and what it did to each component's peak.
std::string resampling_line(const RecordFacts& facts) {
  const bool linear = facts.resampled == ResampleMethod::kLinear;
  std::string line =
      "resampled from " + interval_text(facts.source_interval) + " to " + interval_text(facts.csv_time_step) + ", " +
      std::string(method_name(*facts.resampled)) +
      (linear ? " (straight lines between the record's own samples)" : " (libsoxr, with its anti-alias filter)") +
      "; peaks";
  for (std::size_t c = 0; c < 3; ++c) {
    const RecordComponent& rc = facts.components[c];
    if (!rc.source_peak) continue;
    char change[32] = "";
    if (auto ratio = rc.peak_change()) std::snprintf(change, sizeof change, " (%+.1f %%)", 100 * *ratio);
    line += std::string(c ? ", " : " ") + layout::kComponents[c] + " " + peak_text(rc.source_peak->value) + " -> " +
            peak_text(rc.peak.value) + change;
  }
  return line + " cm/s²";
}

// Whether a chosen channel says it is uncorrected (Volume 1 and its kind).
bool uncorrected(const std::array<Channel, 3>& chosen) {
  for (const Channel& ch : chosen)
    if (ch.processing == "uncorrected") return true;
  return false;
}

// " (from 3251 at 0.02 s)" where the samples written are not the file's.
std::string origin(const RecordComponent& rc, const Channel& ch) {
  if (!rc.channel) return "";
  if (rc.source_interval > 0 && rc.source_interval == ch.interval && rc.source_samples == ch.samples.size()) return "";
  return " (from " + std::to_string(rc.source_samples) + " at " +
         (rc.source_interval > 0 ? interval_text(rc.source_interval) : std::string("uneven times")) + ")";
}

// ", g × 980.665 -> cm/s²", or ", in cm/s²" where the file's unit is.
std::string conversion(const Channel& ch) {
  if (ch.to_cm_s2 == 1.0) return ", in cm/s²";
  char factor[32];
  std::snprintf(factor, sizeof factor, "%.10g", ch.to_cm_s2);
  return ", " + escaped(ch.unit) + " × " + factor + " -> cm/s²";
}

// The whole of an input file; the reading is done on this copy, so that a
// pipe can be read although its first lines are looked at twice.
struct InputBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view text() const { return {data.get(), size}; }
};

// Reads a regular file with one read into a buffer of its size (and a byte
// more, to see one that grew); a pipe in blocks that double.
InputBytes slurp(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!in) throw SplitError(escaped(path) + ": " + std::strerror(errno));
  struct stat st {};
  const bool regular = fstat(fileno(in.get()), &st) == 0 && S_ISREG(st.st_mode);
  std::size_t room = regular ? static_cast<std::size_t>(st.st_size) + 1 : std::size_t{1} << 16;
  InputBytes bytes;
  for (;; room *= 2) {
    room = std::min(room, kMaxInputBytes + 1);
    auto grown = std::make_unique_for_overwrite<char[]>(room);
    std::copy_n(bytes.data.get(), bytes.size, grown.get());
    bytes.data = std::move(grown);
    bytes.size += std::fread(bytes.data.get() + bytes.size, 1, room - bytes.size, in.get());
    if (bytes.size < room) break;
    if (bytes.size > kMaxInputBytes)
      throw SplitError(escaped(path) + ": larger than " + std::to_string(kMaxInputBytes >> 20) +
                       " MiB; not a strong-motion text file");
  }
  if (std::ferror(in.get())) throw SplitError(escaped(path) + ": " + std::strerror(errno));
  return bytes;
}

const AgencyFormat& recognise(const std::string& path, std::string_view bytes) {
  if (const AgencyFormat* f = recognised(bytes)) return *f;
  throw SplitError(escaped(path) + ": not a strong-motion file of a format kvb-split knows (" + format_names() +
                   "); --format NAME reads it as one of them");
}

// Reads one input; a miniSEED file takes its responses from the StationXML
// files given (or, without any, from those beside it, named on stderr).
void read_input(const std::string& path, const AgencyFormat* forced, const Responses& given,
                std::vector<Channel>& channels) {
  const InputBytes bytes = slurp(path);
  if (bytes.size == 0) throw SplitError(escaped(path) + ": the file is empty");
  // --format names the records' format; a StationXML among them stays one.
  const AgencyFormat& format = forced && !is_stationxml(bytes.text()) ? *forced : recognise(path, bytes.text());
  TextFile file(path, bytes.text());
  if (&format != &kMseedFormat) return format.read(file, channels);
  std::vector<std::string> found;
  read_mseed(file, given, channels, &found);
  for (const std::string& xml : found)
    std::fprintf(stderr, "kvb-split: the response of %s from %s, found beside it\n", escaped(path).c_str(),
                 escaped(xml).c_str());
}

int split(const Options& opt) {
  std::vector<std::string> names(layout::kNames.begin(), layout::kNames.end());
  names.push_back(kRecordFileName);
  names.push_back(kFullRecordFileName);
  OutputDir out(opt.dir, opt.force);
  out.check_free(names);

  std::vector<Channel> channels;
  const Responses given = given_responses(opt.inputs);
  for (const std::string& input : opt.inputs) read_input(input, opt.format, given, channels);
  auto pick = select_components(channels, chosen_numbers(channels, opt.channels), opt.missing_vertical_zeros,
                                opt.sensor, opt.missing_horizontal_zeros);
  if (opt.channels.empty() && channels.size() > 3)
    std::printf("the channels at %s chosen of %zu; --channels N00,N90,UP chooses others\n",
                escaped(channels[pick[kN00]].location).c_str(), channels.size());
  TimeOptions time = opt.time;
  time.vertical_zeros = pick[kUp] == kZerosVertical;
  // The picks are distinct channels, taken over whole.
  std::array<Channel, 3> chosen;
  time.horizontal_zeros = pick[kN00] == kZeros ? kN00 : pick[kN90] == kZeros ? kN90 : -1;
  const std::size_t beside = pick[kN00] == kZeros ? pick[kN90] : pick[kN00];
  for (std::size_t c = 0; c < chosen.size(); ++c)
    if (pick[c] == kZeros) chosen[c] = zeros_for(c, channels[beside]);
  for (std::size_t c = 0; c < chosen.size(); ++c)
    if (pick[c] != kZeros) chosen[c] = std::move(channels[pick[c]]);
  channels.clear();

  // The processing, at the record's own step (film records on their even
  // grid), so that everything written is of the processed record.
  std::optional<ProcessingFacts> processed;
  auto process = [&](std::array<Channel, 3>& placed, const std::array<bool, 3>& own) {
    processed = process_record(placed, own, opt.process);
    return processed.has_value();
  };
  std::vector<std::string> warnings;
  RecordFacts facts = settle_time(chosen, time, warnings, process);
  facts.processing = std::move(processed);
  for (const std::string& w : warnings) warn(w);
  warn_about(chosen);
  std::vector<std::size_t> temps;
  for (int c : {kN00, kN90, kUp}) {
    const Channel& ch = chosen[static_cast<std::size_t>(c)];
    facts.components[static_cast<std::size_t>(c)].file = layout::kNames[static_cast<std::size_t>(c)];
    std::FILE* component = nullptr;
    temps.push_back(out.create_temp(component));
    write_component(ch, component);
    out.finish_temp(temps.back(), "the component file for " + escaped(ch.source));
  }
  std::FILE* record = nullptr;
  temps.push_back(out.create_temp(record));
  std::fputs(record_json(facts).c_str(), record);
  out.finish_temp(temps.back(), kRecordFileName);
  std::FILE* whole = nullptr;
  temps.push_back(out.create_temp(whole));
  write_full_record(facts.full, [&](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), whole); });
  out.finish_temp(temps.back(), kFullRecordFileName);

  // What goes where is said before the files are placed: a run that cannot
  // say it places nothing, so that failure and placed files never go together.
  for (int c : {kN00, kN90, kUp}) {
    const Channel& ch = chosen[static_cast<std::size_t>(c)];
    const RecordComponent& rc = facts.components[static_cast<std::size_t>(c)];
    const std::string from = rc.channel ? describe(ch)
                             : c == kUp ? "zeros (the record has no vertical)"
                                        : "zeros (the record has one horizontal)";
    std::printf("%s <- %s, %zu points%s%s\n", escaped(out.path(names[static_cast<std::size_t>(c)])).c_str(),
                from.c_str(), ch.samples.size(), origin(rc, ch).c_str(), rc.channel ? conversion(ch).c_str() : "");
  }
  if (facts.resampled) std::printf("%s\n", resampling_line(facts).c_str());
  if (facts.processing) std::printf("%s\n", filtered_text(*facts.processing).c_str());
  if (uncorrected(chosen))
    std::puts(
        "uncorrected (Volume 1): the accelerations as recorded, without the baseline correction and "
        "filtering of the agency's corrected data (Volume 2)");
  if (facts.window) {
    const RecordFacts::Cut& w = *facts.window;
    std::printf("window %s to %s of the record's %s%s\n", seconds_text(w.start).c_str(), seconds_text(w.end).c_str(),
                seconds_text(static_cast<double>(w.record_samples - 1) * facts.csv_time_step).c_str(),
                w.automatic ? " (--window auto: the strongest shaking)" : "");
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    throw SplitError(std::string("standard output: ") + std::strerror(errno) + "; no component file was placed");
  out.place(temps, names);
  return 0;
}

}  // namespace
}  // namespace kvb

int main(int argc, char** argv) {
  using namespace kvb;
  if (argc > 1 && std::strcmp(argv[1], "--identify") == 0) {
    // --identify [--sac-unit UNIT] FILE...
    int first = 2;
    if (argc > 3 && std::strcmp(argv[2], "--sac-unit") == 0) {
      std::optional<SacUnit> unit = sac_unit_named(argv[3]);
      if (!unit) return usage_error(std::string(kSacUnitWords) + argv[3]);
      read_sac_samples_in(unit);
      first = 4;
    }
    const std::vector<std::string> paths(argv + first, argv + argc);
    const Responses given = given_responses(paths);
    return identify(paths, [&](const std::string& path, std::vector<Channel>& channels) {
      read_input(path, nullptr, given, channels);
    });
  }
  Options opt;
  int status = parse_options(argc, argv, opt);
  if (status >= 0) return status;
  read_sac_samples_in(opt.sac_unit);
  // An interrupt removes the temporary files and ends the run; while the
  // files are being placed it waits, so that it leaves all three or none.
  setup_signals();
  try {
    status = split(opt);
  } catch (const std::bad_alloc&) {
    std::fputs("kvb-split: not enough memory for this record\n", stderr);
    status = kExitFailure;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kvb-split: %s\n", e.what());
    status = kExitFailure;
  }
  return status;
}
