// kvb-split run as a program on generated Volume 1 and Volume 2 files, and
// (when read-KVB is built) its component files converted by read-KVB.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "component_layout.h"
#include "generators/csmip.h"
#include "generators/mseed.h"
#include "json_doc.h"
#include "temp_dir.h"

namespace {

using namespace kvb_test;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

using layout::kNames;
const char* const kRecordFile = "KVB-record.json";
const char* const kFullRecordFile = "KVB-full.csv";

RunResult kvb_split(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KVB_SPLIT);
  return test_support::run_in(dir.path(), std::move(args));
}

// Sorted names in a directory; empty when it does not exist.
std::vector<std::string> entries(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(path, ec)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// Channels 90 Deg, Up, 360 Deg (so N00 is the last one), each its own samples.
std::vector<GenChannel> three_channels(const GenOptions& opt, int points) {
  const long limit = opt.volume == 1 ? 10'000'000 : 100'000'000;  // fields touch at the limit
  return {{1, "90 Deg", samples(points, 1, limit)},
          {2, "Up", samples(points, 2, limit)},
          {3, "360 Deg", samples(points, 3, limit)}};
}

// The header records kvb-split must make of one generated channel: header
// lines 1-5, the title, header lines 6-40 (or empty records), the descriptor.
std::vector<std::string> expected_header(const GenChannel& ch, const GenOptions& opt) {
  auto cased = [&](std::string s) { return opt.upper ? upper(s) : s; };
  std::vector<std::string> header = header_lines(ch, opt);
  std::vector<std::string> records;
  for (std::size_t k = 0; k < 40; ++k) {
    if (k == 5)
      records.push_back(cased("Synthetic Creek") + ", station 12345, channel " + std::to_string(ch.number) + ": " +
                        cased(ch.orientation));
    records.push_back(k < header.size() ? cased(header[k]) : "");
  }
  records.push_back(cased(descriptor_line(ch, opt)));
  return records;
}

// The component file of a Volume 2 channel: its data lines copied.
std::string expected_component(const GenChannel& ch, const GenOptions& opt) {
  std::vector<std::string> records = expected_header(ch, opt);
  for (const std::string& line : data_lines(ch.micro, 10)) records.push_back(line);
  records.push_back("");  // closes the data, so that read-KVB writes every sample
  return join(records);
}

// A component file made of data in g: the header as above but for the
// descriptor, which says cm/s²; each sample times 980.665 in a 10-column
// field with at least three decimals, rounded at its last one.
void check_converted(const std::string& text, const GenChannel& ch, const GenOptions& opt) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(text.substr(at, end - at));
  std::vector<std::string> header = expected_header(ch, opt);
  const std::size_t header_records = layout::kHeaderRecords, per = layout::kFieldsPerRecord,
                    width = layout::kFieldWidth;
  ASSERT_EQ(header_records + (ch.micro.size() + per - 1) / per + 1, lines.size());
  EXPECT_EQ("", lines.back());
  EXPECT_EQ(std::vector<std::string>(header.begin(), header.end() - 1),
            std::vector<std::string>(lines.begin(), lines.begin() + header_records - 1));
  char descriptor[80];
  std::snprintf(descriptor, sizeof descriptor, "%6zu points of accel data equally spaced at 0.005 sec, in cm/sec2.",
                ch.micro.size());
  EXPECT_EQ(0u, lines[header_records - 1].find(descriptor)) << lines[header_records - 1];
  for (std::size_t k = 0; k < ch.micro.size(); ++k) {
    const std::string& line = lines[header_records + k / per];
    std::string field = line.substr(k % per * width, width);
    ASSERT_EQ(width, field.size()) << line;
    std::size_t point = field.find('.');
    ASSERT_NE(std::string::npos, point) << field;
    const int decimals = static_cast<int>(field.size() - point - 1);
    EXPECT_GE(decimals, 3) << field;
    const double exact = static_cast<double>(ch.micro[k]) * 1e-6 * 980.665;
    EXPECT_LE(std::fabs(std::strtod(field.c_str(), nullptr) - exact), 0.5000001 * std::pow(10.0, -decimals))
        << field << " for " << exact;
  }
}

std::string mapping(const std::string& out, const std::string& source, const GenChannel& ch, const std::string& name,
                    const GenOptions& opt) {
  return out + "/" + name + " <- " + source + " channel " + std::to_string(ch.number) + " (" +
         (opt.upper ? upper(ch.orientation) : ch.orientation) + "), " + std::to_string(ch.micro.size()) + " points" +
         (opt.volume == 1 ? ", g × 980.665 -> cm/s²" : ", in cm/s²") + "\n";
}

// The split of one three-channel file, checked byte for byte.
void check_split(const GenOptions& opt, int points) {
  TempDir dir;
  auto channels = three_channels(opt, points);
  dir.write("rec.v", volume_file(channels, opt));
  RunResult r = kvb_split(dir, {"-o", "out", "--filter", "none", "rec.v"});  // Volume 1 as recorded
  ASSERT_TRUE(r.exited(0)) << r.describe() << "\n" << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_EQ(mapping("out", "rec.v", channels[2], kNames[0], opt) +
                mapping("out", "rec.v", channels[0], kNames[1], opt) +
                mapping("out", "rec.v", channels[1], kNames[2], opt) +
                (opt.volume == 1 ? "uncorrected (Volume 1): the accelerations as recorded, without the baseline "
                                   "correction and filtering of the agency's corrected data (Volume 2)\n"
                                 : ""),
            r.out);
  const int order[3] = {2, 0, 1};
  for (int c = 0; c < 3; ++c) {
    const GenChannel& ch = channels[static_cast<std::size_t>(order[c])];
    const std::string made = dir.read(std::string("out/") + kNames[c]).value_or("(missing)");
    if (opt.volume == 1) {
      check_converted(made, ch, opt);
    } else {
      EXPECT_EQ(expected_component(ch, opt), made) << kNames[c];
    }
  }
  EXPECT_EQ((std::vector<std::string>{kNames[0], kNames[1], kNames[2], kFullRecordFile, kRecordFile}),
            entries(dir.file("out")));
}

TEST(KvbSplit, Volume2LowerCaseCrLfTouchingFieldsShortLastLineDosPadding) {
  GenOptions opt;
  opt.eol = "\r\n";
  opt.dos_padding = 200;
  check_split(opt, 101);
}

TEST(KvbSplit, Volume1UpperCaseNineColumnFieldsInGBecomeCmS2) {
  GenOptions opt;
  opt.volume = 1;
  opt.upper = true;
  check_split(opt, 64);
}

TEST(KvbSplit, Volume1WithoutFormatReadsNineColumnFields) {
  GenOptions opt;
  opt.volume = 1;
  opt.state_format = false;
  check_split(opt, 30);
}

TEST(KvbSplit, Volume2WithoutFormatInTheDescriptor) {
  GenOptions opt;
  opt.state_format = false;
  check_split(opt, 17);
}

TEST(KvbSplit, SingleChannelFilesGoWhereTheirOrientationsSay) {
  TempDir dir;
  GenOptions opt;
  const std::vector<GenChannel> channels = {{1, "Up", samples(24, 4, 100'000'000)},
                                            {2, "Long", samples(24, 5, 100'000'000)},
                                            {3, "Tran", samples(24, 6, 100'000'000)}};
  for (const GenChannel& ch : channels) dir.write("chan00" + std::to_string(ch.number) + ".v2", volume_file({ch}, opt));
  RunResult r = kvb_split(dir, {"chan001.v2", "chan002.v2", "chan003.v2"});
  ASSERT_TRUE(r.exited(0)) << r.describe() << "\n" << r.err;
  EXPECT_EQ(
      "KVB-N00.txt <- chan002.v2 channel 2 (Long), 24 points, in cm/s²\n"
      "KVB-N90.txt <- chan003.v2 channel 3 (Tran), 24 points, in cm/s²\n"
      "KVB-UP.txt <- chan001.v2 channel 1 (Up), 24 points, in cm/s²\n",
      r.out);
  EXPECT_EQ(expected_component(channels[1], opt), dir.read(kNames[0]).value_or(""));
  EXPECT_EQ(expected_component(channels[0], opt), dir.read(kNames[2]).value_or(""));
}

TEST(KvbSplit, MoreThanThreeChannelsNeedChoosing) {
  TempDir dir;
  GenOptions opt;
  std::vector<GenChannel> channels = three_channels(opt, 12);
  for (int k = 4; k <= 6; ++k)
    channels.push_back({k, channels[static_cast<std::size_t>(k - 4)].orientation, samples(12, k, 1000)});
  dir.write("rec.v2", volume_file(channels, opt));
  RunResult r = kvb_split(dir, {"rec.v2"});
  EXPECT_TRUE(r.exited(1)) << r.describe();
  EXPECT_EQ(
      "kvb-split: found 6 channels; choose three with --channels N00,N90,UP (numbers from this list):\n"
      "  1. rec.v2 channel 1 (90 Deg): horizontal\n  2. rec.v2 channel 2 (Up): vertical\n"
      "  3. rec.v2 channel 3 (360 Deg): horizontal\n  4. rec.v2 channel 4 (90 Deg): horizontal\n"
      "  5. rec.v2 channel 5 (Up): vertical\n  6. rec.v2 channel 6 (360 Deg): horizontal\n",
      r.err);
  EXPECT_EQ(std::vector<std::string>{"rec.v2"}, dir.list());

  r = kvb_split(dir, {"--channels=6,4,5", "rec.v2"});
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ(expected_component(channels[5], opt), dir.read(kNames[0]));
  EXPECT_EQ(expected_component(channels[3], opt), dir.read(kNames[1]));
  EXPECT_EQ(expected_component(channels[4], opt), dir.read(kNames[2]));

  // Two horizontals chosen, and a vertical of zeros.
  r = kvb_split(dir, {"--channels=6,4", "--missing-vertical", "zeros", "-o", "two", "rec.v2"});
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ(expected_component(channels[5], opt), dir.read(std::string("two/") + kNames[0]));
  EXPECT_EQ(expected_component(channels[3], opt), dir.read(std::string("two/") + kNames[1]));
  EXPECT_NE(std::string::npos, dir.read(std::string("two/") + kNames[2]).value_or("").find("channel UP: zeros"));
}

TEST(KvbSplit, FormatOptionReadsAFileItDoesNotRecognise) {
  TempDir dir;
  GenOptions opt;
  auto channels = three_channels(opt, 9);
  std::string bytes = volume_file(channels, opt);
  dir.write("rec.v2", "Copied by hand" + bytes.substr(bytes.find('\n')));
  EXPECT_TRUE(kvb_split(dir, {"rec.v2"}).exited(1));
  RunResult r = kvb_split(dir, {"--format", "csmip-v2", "rec.v2"});
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ(expected_component(channels[1], opt), dir.read(kNames[2]));  // the second channel is as made
}

TEST(KvbSplit, RefusesWhatReadKvbWouldShowWrongAndWarnsOfTheRest) {
  const std::string resample_or_keep =
      "use --resample to resample the record to 0.005 s, or --keep-interval to keep its samples (the "
      "CSV's time column then needs scaling by interval/0.005)\n";
  const std::string lengths = "kvb-split: warning: the components hold different numbers of points ";
  struct Case {
    double interval;
    std::vector<int> points;
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {0.005, {8, 8, 8}, {}, 0, ""},
           {0.02,
            {8, 8, 8},
            {},
            1,
            "kvb-split: the sample interval is 0.02 s, but read-KVB's time column assumes 0.005 s; " +
                resample_or_keep},
           {0.02,
            {8, 8, 8},
            {"--keep-interval"},
            0,
            "kvb-split: warning: the sample interval 0.02 s is kept: multiply the CSV's time column by 4 "
            "(0.02 s/0.005 s)\n"},
           {0.02, {8, 8, 8}, {"--resample"}, 0, ""},
           {0.005,
            {9, 8, 8},
            {},
            0,
            lengths + "(N00 8, N90 9, UP 8); read-KVB writes as many lines as KVB-UP.txt gives\n"},
           {0.005,
            {8, 8, 33001},
            {},
            1,
            "kvb-split: the record lasts 165.000 s (33001 samples at 0.005 s), but read-KVB holds at most "
            "32992 samples a component (164.955 s); use --window auto (the strongest shaking) or --window "
            "START:END (seconds)\n"},
           {0.005,
            {8, 8, 33001},
            {"--window", "auto"},
            0,
            lengths + "(N00 32992, N90 8, UP 8); read-KVB writes as many lines as KVB-UP.txt gives\n"},
           {0.005,
            {8, 8, 33001},
            {"--window", "1:170"},
            1,
            "kvb-split: the window 1.000 s to 170.000 s is not inside the record, whose last sample is at "
            "165.000 s\n"},
           {0.02,
            {8, 8, 8},
            {"--resample", "--keep-interval"},
            2,
            "kvb-split: --resample and --keep-interval exclude each other\n"},
           {0.005, {8, 8, 8}, {"--window", "20"}, 2, "kvb-split: --window 20: is neither auto nor START:END\n"},
           {0.005,
            {8, 8, 8},
            {"--missing-vertical", "ones"},
            2,
            "kvb-split: --missing-vertical takes zeros, not ones\n"},
       }) {
    TempDir dir;
    GenOptions opt;
    opt.interval = c.interval;
    auto channels = three_channels(opt, 8);
    for (std::size_t k = 0; k < 3; ++k) channels[k].micro = samples(c.points[k], 1, 100'000'000);
    dir.write("rec.v2", volume_file(channels, opt));
    std::vector<std::string> args = c.args;
    args.push_back("rec.v2");
    RunResult r = kvb_split(dir, args);
    EXPECT_TRUE(r.exited(c.status)) << r.describe() << " " << c.args.size();
    EXPECT_EQ(c.err, r.err.substr(0, c.err.size())) << c.interval;
    if (c.status != 0) { EXPECT_EQ(std::vector<std::string>{"rec.v2"}, dir.list()); }
  }
}

// KVB-full.csv holds the record at its own step and whole, whatever read-KVB's
// component files needed: every sample as read, in cm/s².
TEST(KvbSplit, TheFullRecordKeepsEverySampleAtItsOwnStep) {
  const struct {
    double interval;
    int points;
    std::vector<std::string> args;
    const char* first_times;
  } cases[] = {
      {0.02, 50, {"--resample"}, "0.00,0.02,"},
      {0.005, 33001, {"--window", "auto"}, "0.000,0.005,"},
      {0.01, 50, {"--keep-interval"}, "0.00,0.01,"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    GenOptions opt;
    opt.interval = c.interval;
    auto channels = three_channels(opt, c.points);
    dir.write("rec.v2", volume_file(channels, opt));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", "out", "rec.v2"});
    const RunResult r = kvb_split(dir, args);
    ASSERT_TRUE(r.exited(0)) << r.describe() << r.err;
    const std::string table = dir.read("out/KVB-full.csv").value_or("");
    std::vector<std::vector<std::string>> rows;
    for (std::size_t at = 0, end; (end = table.find('\n', at)) != std::string::npos; at = end + 1) {
      rows.emplace_back();
      for (std::size_t from = at, comma;; from = comma + 1) {
        comma = std::min(table.find(',', from), end);
        rows.back().push_back(table.substr(from, comma - from));
        if (comma == end) break;
      }
    }
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.points) + 1) << c.interval;
    EXPECT_EQ(join({"time_s", "N00_cm_s2", "N90_cm_s2", "UP_cm_s2"}), join(rows[0]));
    EXPECT_EQ(rows[1][0] + "," + rows[2][0] + ",", c.first_times);
    // N00 is the file's third channel, N90 its first, UP its second.
    for (std::size_t k = 0; k < static_cast<std::size_t>(c.points); ++k)
      for (std::size_t col : {1u, 2u, 3u}) {
        const GenChannel& ch = channels[col == 1 ? 2 : col == 2 ? 0 : 1];
        ASSERT_NEAR(std::stod(rows[k + 1][col]), static_cast<double>(ch.micro[k]) * 1e-6, 1e-12) << k;
      }
    const JsonDoc doc(dir.read("out/KVB-record.json").value_or(""));
    EXPECT_EQ(doc.number("/full_record/time_step"), c.interval);
    EXPECT_EQ(doc.number("/full_record/samples/2"), c.points);
  }
}

// Three miniSEED files of counts and their StationXML: each component's peak
// is its counts' over the sensitivity, in cm/s²; channels at two rates are
// one record no more.
TEST(KvbSplit, MiniseedCountsThroughTheirStationXml) {
  TempDir dir;
  std::vector<XmlChannel> xml;
  const std::vector<std::pair<std::string, double>> peaks = {{"HNN", -31000}, {"HNE", 25000}, {"HNZ", 12000}};
  for (const auto& [code, peak] : peaks) {
    MseedPiece p;
    p.channel = code, p.rate = 200;
    for (int k = 0; k < 400; ++k) p.counts.push_back(k == 150 ? peak : (k % 7) * 10.0);
    dir.write("XX.STA.." + code + ".mseed", mseed_file({p}));
    xml.push_back({});
    xml.back().channel = code, xml.back().dip = code == "HNZ" ? "-90" : "0";
    xml.back().azimuth = code == "HNN" ? "0" : "90";
  }
  dir.write("XX.STA.xml", stationxml(xml));
  RunResult r = kvb_split(dir, {"-o", "out", "--filter", "none", "XX.STA..HNE.mseed", "XX.STA..HNN.mseed",
                                "XX.STA..HNZ.mseed", "XX.STA.xml"});
  ASSERT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ("", r.err);
  const JsonDoc doc(dir.read("out/KVB-record.json").value_or(""));
  for (std::size_t c = 0; c < 3; ++c) {
    EXPECT_EQ(peaks[c].second / 213945 * 100, doc.number("/components/" + std::to_string(c) + "/source_peak/value"));
    EXPECT_EQ("XX.STA.." + peaks[c].first + ".mseed", doc.text("/components/" + std::to_string(c) + "/source"));
  }
  EXPECT_EQ(35.5, doc.number("/station/latitude"));

  MseedPiece slow;
  slow.channel = "HNZ", slow.rate = 100, slow.counts.assign(200, 5.0);
  dir.write("XX.STA..HNZ.mseed", mseed_file({slow}));
  r = kvb_split(dir, {"-o", "out2", "--filter", "none", "XX.STA..HNE.mseed", "XX.STA..HNN.mseed", "XX.STA..HNZ.mseed"});
  EXPECT_TRUE(r.exited(1)) << r.describe();
  EXPECT_NE(std::string::npos, r.err.find("kvb-split: the response of XX.STA..HNE.mseed from XX.STA.xml, found "
                                          "beside it\n"))
      << r.err;
  EXPECT_NE(std::string::npos, r.err.find("interval")) << r.err;
}

TEST(KvbSplit, KeepsExistingComponentFilesUnlessForced) {
  TempDir dir;
  GenOptions opt;
  auto channels = three_channels(opt, 16);
  dir.write("rec.v2", volume_file(channels, opt));
  dir.write(kNames[1], "keep me\n");
  RunResult r = kvb_split(dir, {"rec.v2"});
  EXPECT_TRUE(r.exited(1)) << r.describe();
  EXPECT_EQ("kvb-split: KVB-N90.txt exists; use --force to replace it\n", r.err);
  EXPECT_EQ((std::vector<std::string>{kNames[1], "rec.v2"}), dir.list());
  EXPECT_EQ("keep me\n", dir.read(kNames[1]));

  r = kvb_split(dir, {"--force", "rec.v2"});
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ(expected_component(channels[0], opt), dir.read(kNames[1]));
  EXPECT_EQ((std::vector<std::string>{kNames[0], kNames[1], kNames[2], kFullRecordFile, kRecordFile, "rec.v2"}),
            dir.list());
}

// Replaces the first occurrence of from in s.
std::string replaced(std::string s, const std::string& from, const std::string& to) {
  std::size_t at = s.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  return at == std::string::npos ? s : s.replace(at, from.size(), to);
}

TEST(KvbSplit, RefusesFilesItCannotUnderstandNamingFileAndLine) {
  GenOptions opt;
  const auto channels = three_channels(opt, 101);
  const std::string good = volume_file(channels, opt);
  const long data1 = static_cast<long>(header_lines(channels[0], opt).size()) + 2;  // first data line
  const std::string first_value = value_text(channels[0].micro[8], 10);             // on data line 2
  auto cut_after = [&](long lines) {
    std::size_t at = 0;
    for (long k = 0; k < lines; ++k) at = good.find('\n', at) + 1;
    return good.substr(0, at);
  };
  auto repeat = [](const std::string& line, int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += line;
    return s;
  };
  auto at_line = [](long line) { return "rec.v2:" + std::to_string(line) + ": "; };
  struct Case {
    std::string bytes;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {replaced(good, first_value,
                     "  -.0\x1b"
                     "0010"),
            at_line(data1 + 1) + "field 1: \"-.0\\x1b0010\" is not a number"},
           {replaced(good, first_value, "1000000.00"),
            at_line(data1 + 1) + "the sample 1e+06 cm/s² does not fit in a 10-column field with three decimals"},
           {cut_after(data1 + 4), at_line(data1 + 4) + "the file ends after 40 of 101 acceleration points"},
           {replaced(good, "   101 points of accel", "    88 points of accel"),
            at_line(data1 + 11) + "more acceleration data than the 88 points its descriptor announces"},
           {replaced(good, "   101 points of accel", "    99 points of accel"),
            at_line(data1 + 12) + "more values than the descriptor's point count (field 4 holds \"" +
                value_text(channels[0].micro[99], 10) + "\")"},
           {replaced(replaced(good, "Chan  1: 90 Deg", "Chan  1: NE"), "Chan  1: 90 Deg", "Chan  1: NE"),
            at_line(1) + "channel 1: unknown orientation \"NE\""},
           {repeat("hello\n", 300), "rec.v2: not a strong-motion file of a format kvb-split knows ("},
           {"Corrected accelerogram   12345-S0001-24001.01       Chan  1: Up\n" + repeat("hello\n", 300),
            at_line(1) +
                "no acceleration data line (\"N points of accel data ...\") within 200 lines of this channel's start"},
           {good.substr(0, good.find("   101 points of accel")),
            at_line(data1 - 2) + "the file ends before the acceleration data of the channel that starts at line 1"},
           {replaced(good, "equally spaced at 0.005 sec", "equally spaced"),
            at_line(data1 - 1) + "no sample interval (\"at .005 sec\" or \"at 200 pts/sec\")"},
           {good.substr(0, good.find('\n') + 1) + std::string(5000, 'x') + "\n",
            at_line(2) + "line longer than 4096 bytes"},
           {"", "rec.v2: the file is empty"},
           {volume_file({channels[0], channels[1]}, opt),
            "need exactly three channels, found 2:\n  1. rec.v2 channel 1 (90 Deg): horizontal\n  2. rec.v2 channel 2 "
            "(Up): vertical"},
           {volume_file({channels[0], channels[1], {4, "Down", channels[2].micro}}, opt),
            "need one vertical and two horizontal channels, found 2 vertical and 1 horizontal:"},
       }) {
    TempDir dir;
    dir.write("rec.v2", c.bytes);
    RunResult r = kvb_split(dir, {"-o", "out", "rec.v2"});
    EXPECT_TRUE(r.exited(1)) << r.describe() << " for " << c.err;
    EXPECT_EQ(0u, r.err.find("kvb-split: " + c.err)) << r.err;
    EXPECT_EQ(std::vector<std::string>{}, entries(dir.file("out"))) << "a failed run leaves nothing";
  }
}

TEST(KvbSplit, ReportsSystemFailures) {
  TempDir dir;
  GenOptions opt;
  dir.write("rec.v2", volume_file(three_channels(opt, 800), opt));
  RunResult r = kvb_split(dir, {"missing.v2"});
  EXPECT_TRUE(r.exited(1));
  EXPECT_EQ("kvb-split: missing.v2: No such file or directory\n", r.err);

  // An endless input is refused once it is far larger than any record.
  r = kvb_split(dir, {"/dev/zero"});
  EXPECT_TRUE(r.exited(1));
  EXPECT_EQ("kvb-split: /dev/zero: larger than 256 MiB; not a strong-motion text file\n", r.err);

  r = kvb_split(dir, {"-o", "rec.v2", "rec.v2"});
  EXPECT_TRUE(r.exited(1));
  EXPECT_EQ("kvb-split: rec.v2: not a directory\n", r.err);

  // A full disk: the write of the first component file fails.
  RunOptions o = test_support::in_folder(dir.path(), {KVB_SPLIT, "-o", "out", "rec.v2"});
  o.file_size_limit = 4096;
  o.ignored_signals = {SIGXFSZ};
  r = test_support::run(o);
  EXPECT_TRUE(r.exited(1)) << r.describe();
  EXPECT_EQ("kvb-split: writing the component file for rec.v2: File too large\n", r.err);
  EXPECT_EQ(std::vector<std::string>{}, entries(dir.file("out")));

  // A directory the user may not write to, the program copied to where
  // that user may run it.
  const std::string reason = test_support::cannot_run_as_nobody(dir.path());
  if (!reason.empty()) GTEST_SKIP() << "no run as another user: " << reason;
  TempDir bin;
  std::filesystem::create_directory(dir.file("out"));
  o.argv[0] = test_support::copy_program(KVB_SPLIT, bin.path());
  o.file_size_limit.reset();
  o.uid = test_support::kNobody;
  r = test_support::run(o);
  EXPECT_TRUE(r.exited(1)) << r.describe();
  EXPECT_EQ("kvb-split: cannot create a file in out: Permission denied\n", r.err);
}

TEST(KvbSplit, UsageErrorsExitWithTwo) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{}, 2, "kvb-split: no input file\n"},
           {{"-x", "a.v2"}, 2, "kvb-split: unknown option -x\n"},
           {{"a.v2", "-o"}, 2, "kvb-split: option -o needs a directory\n"},
           {{"--output-dir=", "a.v2"}, 2, "kvb-split: empty output directory name\n"},
           {{"--frobnicate", "a.v2"}, 2, "kvb-split: unknown option --frobnicate\n"},
           {{"--format=peer2", "a.v2"}, 2, "kvb-split: unknown format peer2 (formats: "},
           {{"a.v2", "--format"}, 2, "kvb-split: option --format needs a value\n"},
           {{"--channels", "1,2,3,4", "a.v2"},
            2,
            "kvb-split: --channels takes three channel numbers or names, as in 4,5,6 or NS2,EW2,UD2, or two "
            "horizontals, as in 4,5, not "
            "1,2,3,4\n"},
           {{"--channels", "1,2", "a.v2"},
            2,
            "kvb-split: --channels with two horizontals needs --missing-vertical zeros\n"},
           {{"--resample=cubic", "a.v2"}, 2, "kvb-split: --resample takes linear or band-limited, not cubic\n"},
           {{"-c", "1,2,x y", "a.v2"}, 2, "kvb-split: --channels takes three channel numbers"},
           {{"--sac-unit", "gal", "a.sac"}, 2, "kvb-split: --sac-unit takes g, m/s2, cm/s2 or nm/s2, not gal\n"},
           {{"--identify", "--sac-unit", "mg", "a.sac"}, 2, "kvb-split: --sac-unit takes g, m/s2, cm/s2 or nm/s2"},
           {{"--help"}, 0, ""},
           {{"--version"}, 0, ""},
       }) {
    RunResult r = kvb_split(dir, c.args);
    EXPECT_TRUE(r.exited(c.status)) << r.describe() << " " << c.err;
    EXPECT_EQ(0u, r.err.find(c.err)) << r.err;
    if (c.status == 2) {
      EXPECT_NE(std::string::npos, r.err.find("Try 'kvb-split --help'"));
    } else if (c.args[0] == "--help") {
      EXPECT_EQ(0u, r.out.find("Usage: kvb-split"));
      for (const char* option :
           {"--output-dir", "--force", "--format", "--channels", "--help", "--version", "csmip-v2", "csmip-v1"})
        EXPECT_NE(std::string::npos, r.out.find(option)) << option;
    } else {
      EXPECT_TRUE(r.out.size() > 12 && r.out.compare(0, 10, "kvb-split ") == 0 && r.out.back() == '\n') << r.out;
    }
  }
  EXPECT_EQ(std::vector<std::string>{}, dir.list());
}

}  // namespace
