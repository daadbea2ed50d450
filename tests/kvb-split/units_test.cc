// The pieces of kvb-split on their own: descriptors, channel lines, the
// choice of components, line ends, fields and the 42 header records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "readers/csmip_descriptor.h"
#include "readers/csmip_header.h"
#include "readers/field_format.h"
#include "readers/line_reader.h"
#include "record/orientation.h"
#include "record/split_error.h"
#include "record/utf8.h"
#include "steps/selection.h"
#include "writers/component_file.h"

using namespace kvb;

namespace {

TEST(Descriptor, ReadsCountIntervalAndFormatOfBothVolumes) {
  struct Case {
    const char* line;
    long points;
    double interval;
    DataLayout layout;
  };
  for (const Case& c : std::vector<Case>{
           {" 12000 points of accel data equally spaced at  .005 sec, in cm/sec2. (8f10.6)",
            12000,
            0.005,
            {8, 10, 6, true}},
           {" 14000 Accelerogram points at 200 pts/sec in units of g .      Format: (8f9.6)  ",
            14000,
            0.005,
            {8, 9, 6, true}},
           {" 3001 POINTS OF ACCEL DATA EQUALLY SPACED AT  .020 SEC.  (UNITS: CM/SEC/SEC)",
            3001,
            0.02,
            {8, 10, 0, false}},
           {"  4000 points of accel data equally spaced at 0.010 sec, in g. (5E15.7)", 4000, 0.01, {5, 15, 7, true}},
       }) {
    ASSERT_TRUE(is_accel_descriptor(c.line)) << c.line;
    std::string why;
    auto d = parse_descriptor(c.line, why);
    ASSERT_TRUE(d) << c.line << ": " << why;
    EXPECT_EQ(c.points, d->points);
    EXPECT_DOUBLE_EQ(c.interval, d->interval);
    EXPECT_EQ(c.layout.per_line, d->layout.per_line);
    EXPECT_EQ(c.layout.width, d->layout.width);
    EXPECT_EQ(c.layout.decimals, d->layout.decimals);
    EXPECT_EQ(c.layout.stated, d->layout.stated);
  }
}

// The one parser of a data layout, as COSMOS/PEER (blanks, four digits, I)
// and CSMIP (the first "(" that opens one; three digits, 40 columns) take it.
TEST(FieldFormat, TheReadersSyntaxes) {
  struct Case {
    const char* text;
    const char* cosmos;  // "per_line width", or "" for none
    const char* csmip;   // "per_line width decimals", or ""
  } cases[] = {
      {"(8f10.6)", "8 10", "8 10 6"},
      {"( 5F15.6 )", "5 15", ""},  // blanks: COSMOS only
      {"(10I8)", "10 8", ""},      // integers: COSMOS only
      {"(1E15.6)", "1 15", "1 15 6"},
      {"(f9.6)", "1 9", "1 9 6"},    // no repeat count: one
      {"(8f1000.3)", "8 1000", ""},  // four digits; CSMIP at most 40 columns, three digits
      {"(8f41.3)", "8 41", ""},
      {"(8f5.6)", "8 5", ""},  // more decimals than columns
      {"(0f10.3)", "", ""},    // a repeat count of 0
      {"(8f10.)", "", ""},
      {"(8x10.3)", "", ""},
      {"units (g) (8e10.4)", "", "8 10 4"},  // CSMIP looks on to the next "("
  };
  for (const Case& c : cases) {
    std::string cosmos, csmip;
    if (auto f = parse_field_format(c.text)) cosmos = std::to_string(f->per_line) + " " + std::to_string(f->width);
    if (auto l = parse_layout(c.text))
      csmip = std::to_string(l->per_line) + " " + std::to_string(l->width) + " " + std::to_string(l->decimals);
    EXPECT_EQ(c.cosmos, cosmos) << c.text;
    EXPECT_EQ(c.csmip, csmip) << c.text;
  }
}

TEST(Descriptor, TellsTheAccelerationLineFromOthers) {
  for (const char* line : {" 12000 points of instrument- and baseline-corrected accel, veloc and displ data",
                           " 12000 points of veloc data equally spaced at  .005 sec, in cm/sec.  (8f10.7)",
                           "Peak acceleration =    77.280    cm/sec/sec  at   30.585   sec.",
                           "points of accel data equally spaced at .005 sec", ""}) {
    EXPECT_FALSE(is_accel_descriptor(line)) << line;
  }
  std::string why;
  EXPECT_FALSE(parse_descriptor(" 12000 points of accel data, in cm/sec2. (8f10.6)", why));
  EXPECT_NE(std::string::npos, why.find("sample interval"));
  EXPECT_FALSE(parse_descriptor(" 0 points of accel data equally spaced at .005 sec", why));
}

Channel channel_of(const ChannelHeader& h) {
  Channel ch;
  ch.station_code = h.station_number;
  ch.station_name = h.station_name;
  ch.number = std::to_string(h.channel);
  ch.orientation_text = h.orientation;
  ch.orientation = classify_orientation(h.orientation).value_or(Orientation{});
  return ch;
}

TEST(ChannelHeader, FindsStationChannelAndOrientation) {
  struct Case {
    std::vector<std::string> lines;
    std::string title;
  };
  for (const Case& c : std::vector<Case>{
           {{"Corrected accelerogram   12345   Chan  1: 360 Deg     from",
             "Station No. 12345   40.000N, 120.000W      Synth s/n 1", "Cedar Flat                                SYN",
             "Chan  1: 360 Deg"},
            "Cedar Flat, station 12345, channel 1: 360 Deg"},
           {{"STATION NO. 54321   35.000N, 121.000W     SYN-1", "PINE RIDGE 2", "CHAN  2: UP"},
            "PINE RIDGE 2, station 54321, channel 2: UP"},
           {{"Chan  2:  Long                      Location: Abutment 1"}, "channel 2: Long"},
           {{"Corrected accelerogram   58667-L2866-14236.52       Chan  1:  H1         from"}, "channel 1: H1"},
           {{"Chan  3: U-D"}, "channel 3: U-D"},
           {{"12345-S0001      Cedar Flat      Chan  3:  90 Deg"}, "channel 3: 90 Deg"},
           {{"Station No. 1", std::string(60, 'N') + "  Chan 12: Up"},
            std::string(40, 'N') + ", station 1, channel 12: Up"},
       }) {
    auto h = parse_channel_header(c.lines);
    ASSERT_TRUE(h) << c.title;
    EXPECT_EQ(c.title, component_title(channel_of(*h)));
  }
  EXPECT_FALSE(parse_channel_header({"Station No. 1", "Chan: Up", "Channels: 3"}));
  ChannelHeader long_name{"1", std::string(70, 'x'), 1, "Up", std::nullopt};
  EXPECT_EQ(80u, component_title(channel_of(long_name)).size());
}

// The components chosen for channels of these orientations ("012": N00 is the
// first channel, N90 the second, UP the third; "z" an UP of zeros), or the
// first line of the refusal. "Up@Roof" is a channel at the location "Roof".
std::string pick(std::vector<std::string> words, std::vector<long> chosen = {}, bool zeros = false, bool lone = false) {
  std::vector<Channel> channels;
  for (const std::string& word : words) {
    const std::string w = word.substr(0, word.find('@'));
    Channel ch;
    ch.source = "f";
    ch.number = std::to_string(channels.size() + 1);
    ch.orientation_text = w;
    ch.orientation = classify_orientation(w).value();
    if (w.size() < word.size()) ch.location = word.substr(w.size() + 1);
    channels.push_back(ch);
  }
  try {
    std::string picked;
    for (std::size_t p : select_components(channels, chosen, zeros, Sensor::kGround, lone))
      picked += p == kZeros ? "z" : std::to_string(p);
    return picked;
  } catch (const SplitError& e) {
    std::string what = e.what();
    return what.substr(0, what.find('\n'));
  }
}

TEST(Selection, SendsTheHorizontalNearerNorthSouthToN00) {
  struct Case {
    std::vector<std::string> words;
    std::string pick;
  };
  for (const Case& c : std::vector<Case>{
           {{"90 Deg", "Up", "360 Deg"}, "201"},
           {{"UP", "0 DEG", "90 DEG"}, "120"},
           {{"Up", "Long", "Tran"}, "120"},
           {{"Up", "Tran", "0 Deg"}, "210"},
           {{"90 Deg", "180 Deg", "vert"}, "102"},
           {{"110 Deg", "20 Deg", "Up"}, "102"},
           {{"270 Deg", "90 Deg", "Down"}, "102"},
           {{"360 Deg", "0 Deg", "Down"}, "102"},
           {{"Up", "90 Deg", "Down"},
            "need one vertical and two horizontal channels, found 2 vertical and 1 horizontal:"},
           {{"Up", "90 Deg"}, "need exactly three channels, found 2:"},
           {{"Up", "90 Deg", "0 Deg", "Up"},
            "found 4 channels; choose three with --channels N00,N90,UP (numbers from this list):"},
           // More than three: the one set that its files place at the ground.
           {{"90 Deg@Roof", "0 Deg@Roof", "Up@Roof", "90 Deg@Ground Floor", "0 Deg@Ground floor", "Up@Ground Floor"},
            "435"},
           {{"Up@borehole", "N-S@borehole", "E-W@borehole", "U-D@surface", "N-S@surface", "E-W@surface"}, "453"},
           {{"90 Deg@Roof", "0 Deg@Roof", "Up@Roof", "90 Deg@3rd floor"},
            "found 4 channels; choose three with --channels N00,N90,UP (numbers from this list):"},
           {{"90 Deg@free field", "0 Deg@free field", "Up@free field", "90 Deg@surface", "0 Deg@surface", "Up@surface"},
            "found 6 channels; choose three with --channels N00,N90,UP (numbers from this list):"},
       }) {
    EXPECT_EQ(c.pick, pick(c.words)) << c.words[0] << " " << c.words[1];
  }
}

// A lone horizontal, with --missing-horizontal zeros: N00 or N90 by its
// azimuth, the other zeros (UP too, with --missing-vertical zeros).
TEST(Selection, ALoneHorizontalTakesTheSlotNearerItsAzimuth) {
  EXPECT_EQ("0z1", pick({"180 Deg", "Up"}, {}, false, true));
  EXPECT_EQ("z01", pick({"270 Deg", "Up"}, {}, false, true));
  EXPECT_EQ("0zz", pick({"S16W"}, {}, true, true));
  EXPECT_EQ(
      "the record has one horizontal channel and no vertical, f channel 1 (Tran); --missing-vertical zeros "
      "writes a KVB-UP.txt of zeros",
      pick({"Tran"}, {}, false, true));
  EXPECT_EQ("need exactly three channels, found 1:", pick({"180 Deg"}));
}

TEST(Orientation, ReadsAzimuthsWordsAndBearings) {
  const int kUp = -2;  // vertical
  struct Case {
    const char* text;
    int azimuth;
  };
  for (const Case& c : std::vector<Case>{
           {"360 Deg", 360},
           {"0", 0},
           {"UP", kUp},
           {"down", kUp},
           {"Vert", kUp},
           {"UD", kUp},
           {"U-D", kUp},
           {"Z", kUp},
           {"Long", -1},
           {"TRAN", -1},
           {"Radl", -1},
           {"Tang", -1},
           {"H1", -1},
           {"h2", -1},
           {"N-S", 0},
           {"NS", 0},
           {"n", 0},
           {"E-W", 90},
           {"EW", 90},
           {"E", 90},
           {"S16W", 196},
           {"N28W", 332},
           {"N45E", 45},
           {"S90E", 90},
           {"N0E", 0},
           // The whole vocabulary every reader shares.
           {"90DEG", 90},
           {"360 DegR", 360},
           {"090", 90},
           {"180 (USGS STATION 117)", 180},
           {"  67", 67},
           {"S", 180},
           {"W", 270},
           {"SN", 180},
           {"WE", 270},
           {"ns", 0},
           {"n-s", 0},
           {"S-N", 180},
           {"W-E", 270},
           {"N40E", 40},
           {"S17E", 163},
           {"S73W", 253},
           {"N89W", 271},
           {"S01W", 181},
           {"N50W", 310},
           {"S89W", 269},
           {"N01W", 359},
           {"U", kUp},
           {"DWN", kUp},
           {"D", kUp},
           {"V", kUp},
           {"Vertical", kUp},
           {"NZ", kUp},
           {"HNZ", kUp},
           {"BHZ", kUp},
           {"L", -1},
           {"T", -1},
           {"R", -1},
           {"Transverse", -1},
           {"BH1", -1},
           {"BH2", -1},
           {"HN1", -1},
           {"HN2", -1},
           {"HNN", 0},
           {"HNE", 90},
       }) {
    auto o = classify_orientation(c.text);
    ASSERT_TRUE(o) << c.text;
    EXPECT_EQ(c.azimuth, o->axis == Axis::kVertical ? kUp : o->azimuth) << c.text;
  }
  for (const char* bad : {"NE", "361 Deg", "", "9x", "S91W", "N16", "W16N", "N123E", "NN", "N-E", "SW", "0360", "UPP",
                          "HNX", "N40", "Other", "X"})
    EXPECT_FALSE(classify_orientation(bad)) << bad;
}

TEST(Selection, TakesTheChosenChannelsInN00N90UpOrder) {
  const std::vector<std::string> six = {"Up", "90 Deg", "0 Deg", "Up", "90 Deg", "0 Deg"};
  EXPECT_EQ("543", pick(six, {6, 5, 4}));
  EXPECT_EQ("120", pick(six, {2, 3, 1}));
  EXPECT_EQ("--channels: there is no channel 7:", pick(six, {2, 3, 7}));
  EXPECT_EQ("--channels: channel 2 is chosen twice:", pick(six, {2, 2, 1}));
  EXPECT_EQ("--channels: UP needs the vertical channel, and 3 is horizontal:", pick(six, {2, 6, 3}));
  EXPECT_EQ("--channels: N00 needs a horizontal channel, and 1 is vertical:", pick(six, {1, 2, 4}));
  // Two horizontals and an UP of zeros; with zeros two horizontals alone go by orientation.
  EXPECT_EQ("21z", pick(six, {3, 2}, true));
  EXPECT_EQ("--channels: N90 needs a horizontal channel, and 4 is vertical:", pick(six, {3, 4}, true));
  EXPECT_EQ("10z", pick({"90 Deg", "0 Deg"}, {}, true));
  EXPECT_EQ("need one vertical and two horizontal channels, found 0 vertical and 3 horizontal:",
            pick({"90 Deg", "0 Deg", "270 Deg"}, {}, true));
}

// Two PEER-like channels and a vertical, each field as its file may give it.
TEST(Selection, RefusesChannelsOfDifferentRecords) {
  struct Side {
    const char* format;
    const char* code;
    const char* name;
    const char* event;
    const char* date;
    const char* start;  // start_iso
  };
  struct Case {
    Side a, b;
    const char* refusal;  // "" when they pass as one record
  };
  const Side peer = {"peer", "", "El Centro Array #9", "Imperial Valley", "1940-05-19", ""};
  for (const Case& c : std::vector<Case>{
           {peer, peer, ""},
           {peer, {"peer", "", "EL CENTRO  ARRAY #9", "IMPERIAL VALLEY", "1940-05-19", ""}, ""},
           {peer,
            {"peer", "", "Gilroy Array #6", "Loma Prieta", "1989-10-18", ""},
            "channels of different records (the station differs): a channel 1 (0 Deg) is station \"El Centro Array "
            "#9\", event \"Imperial Valley\" of 1940-05-19; b channel 1 (90 Deg) is station \"Gilroy Array #6\", "
            "event \"Loma Prieta\" of 1989-10-18"},
           {peer, {"peer", "", "El Centro Array #9", "Imperial Valley", "1979-10-15", ""}, "the event date differs"},
           {peer, {"peer", "", "El Centro Array #9", "Loma Prieta", "", ""}, "the event differs"},
           {{"cosmos", "", "", "Loma Prieta, CA", "1989-10-18", ""}, {"peer", "", "", "LOMA PRIETA", "", ""}, ""},
           {{"cosmos", "CE24278", "Cedar Flat", "", "", "2014-08-24T10:20:44.000Z"},
            {"csmip-v2", "24278", "CEDAR FLAT - Hwy", "", "", "2014-08-24T03:20:44-07:00"},
            ""},
           {{"cosmos", "CE24278", "", "", "", ""}, {"csmip-v2", "CE24279", "", "", "", ""}, "the station differs"},
           {{"cosmos", "CI-J2236", "", "", "", ""}, {"cosmos", "---J2236", "", "", "", ""}, ""},
           {{"cosmos", "CI-J2236", "", "", "", ""}, {"cosmos", "CE-J2236", "", "", "", ""}, "the station differs"},
           {{"cosmos", "CE24278", "", "", "", ""}, {"peer", "", "Cedar Flat", "", "", ""}, ""},
           {{"cosmos", "", "", "", "", "2014-08-24T10:20:44.000Z"},
            {"geonet", "", "", "", "", "2014-08-24T11:20:44Z"},
            "the start time differs"},
       }) {
    std::vector<Channel> channels(3);
    const Side* sides[3] = {&c.a, &c.b, &c.a};
    const char* words[3] = {"0 Deg", "90 Deg", "Up"};
    for (std::size_t k = 0; k < 3; ++k) {
      Channel& ch = channels[k];
      ch.source = k == 1 ? "b" : "a";
      ch.number = "1";
      ch.orientation_text = words[k];
      ch.orientation = classify_orientation(words[k]).value();
      ch.format = sides[k]->format;
      ch.station_code = sides[k]->code;
      ch.station_name = sides[k]->name;
      ch.event = sides[k]->event;
      ch.event_date = sides[k]->date;
      ch.start_iso = sides[k]->start;
    }
    std::string refusal;
    try {
      select_components(channels, {});
    } catch (const SplitError& e) { refusal = e.what(); }
    EXPECT_NE(std::string::npos, refusal.find(c.refusal)) << refusal;
    EXPECT_EQ(std::string(c.refusal).empty(), refusal.empty()) << refusal;
  }
  // The same-format start text as before, and one channel twice.
  std::vector<Channel> channels(3);
  const char* words[3] = {"0 Deg", "Up", "0 Deg"};
  for (std::size_t k = 0; k < 3; ++k) {
    channels[k].source = "c" + std::to_string(k + 1) + ".v2";
    channels[k].format = "csmip-v2";
    channels[k].number = "1";
    channels[k].orientation_text = words[k];
    channels[k].orientation = classify_orientation(words[k]).value();
    channels[k].start_time = "1/2/24, 18:00:0" + std::to_string(k) + ".0 UTC";
    channels[k].samples = {1.0, -2.0};
  }
  channels[2].samples = {1.0, -3.0};
  try {
    select_components(channels, {1, 3, 2});
    ADD_FAILURE() << "different start times";
  } catch (const SplitError& e) { EXPECT_NE(nullptr, std::strstr(e.what(), "(the start time differs)")) << e.what(); }
  channels[2].samples = channels[0].samples;
  channels[2].start_time = channels[0].start_time;
  try {
    select_components(channels, {1, 3, 2});
    ADD_FAILURE() << "one channel twice";
  } catch (const SplitError& e) {
    EXPECT_STREQ(
        "c1.v2 channel 1 (0 Deg) and c3.v2 channel 1 (0 Deg) are the same channel, the same samples (one file given "
        "twice?)",
        e.what());
  }
}

std::vector<std::string> lines_of(const std::string& bytes, LineStatus* last = nullptr) {
  std::FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
  LineReader reader(in);
  std::vector<std::string> lines;
  std::string line;
  LineStatus s;
  while ((s = reader.next(line)) == LineStatus::kLine) lines.push_back(line);
  if (last) *last = s;
  std::fclose(in);
  return lines;
}

TEST(LineReader, EndsLinesAtLfOrCrLfAndTheFileAt0x1A) {
  using V = std::vector<std::string>;
  EXPECT_EQ((V{"a", "b", "", "c"}), lines_of("a\r\nb\n\r\nc"));
  EXPECT_EQ((V{"a\rb"}), lines_of("a\rb\n"));
  EXPECT_EQ((V{"x"}), lines_of("x\r\n\x1a\x1a\x1a"));
  EXPECT_EQ((V{"x", "y"}), lines_of("x\ny\x1az\n"));
  EXPECT_EQ(V{}, lines_of(""));
  LineStatus last;
  EXPECT_EQ(V{"ok"}, lines_of("ok\n" + std::string(LineReader::kMaxLine + 1, 'x') + "\n", &last));
  EXPECT_EQ(LineStatus::kTooLong, last);
  EXPECT_EQ(V{std::string(LineReader::kMaxLine, 'x')}, lines_of(std::string(LineReader::kMaxLine, 'x') + "\n"));
}

TEST(ComponentField, MostDecimalsThatReadBackInSinglePrecision) {
  struct Case {
    double value;
    const char* field;
  };
  for (const Case& c : std::vector<Case>{
           {0.0, " .00000000"},
           {-1e-10, " .00000000"},  // no sign on a value that shows as zero
           {-1e-7, "-.00000010"},
           {1.5, "1.50000000"},
           {3.088975, " 3.0889750"},  // single precision holds 3.08897495
           {-123.456, "-123.45600"},
           {12345.6789, " 12345.679"},  // three decimals even where single precision blurs them
           {999999.999, "999999.999"},
       }) {
    EXPECT_EQ(c.field, component_field(c.value).value_or("none")) << c.value;
  }
  for (double v : {1e6, -99999.9996, std::nan("")}) EXPECT_FALSE(component_field(v)) << v;
}

TEST(HeaderRecords, TitleOnSixDescriptorOnFortyTwo) {
  std::vector<std::string> header;
  for (int k = 1; k <= 45; ++k) header.push_back("h" + std::to_string(k));
  auto records = header_records(header, "TITLE", "DESC");
  ASSERT_EQ(42u, records.size());
  EXPECT_EQ((std::vector<std::string>{"h1", "h5", "TITLE", "h6", "h40", "DESC"}),
            (std::vector<std::string>{records[0], records[4], records[5], records[6], records[40], records[41]}));
  records = header_records({"h1", "h2", "h3", "h4", "h5", "h6", "h7"}, "TITLE", "DESC");
  ASSERT_EQ(42u, records.size());
  EXPECT_EQ("h7", records[7]);
  for (int r = 9; r <= 41; ++r) EXPECT_EQ("", records[static_cast<std::size_t>(r - 1)]) << r;
  EXPECT_EQ("DESC", records[41]);
}

}  // namespace

// Text for the record file and the title: valid UTF-8 kept, other bytes as
// Latin-1 (C1 bytes as U+FFFD), controls in the title as '?'.
TEST(Utf8, RecordFileTextAndTitles) {
  struct Case {
    std::string in, utf8, title;
  };
  for (const Case& c : std::vector<Case>{
           {"Peña", "Peña", "Peña"},
           {"Pe\xf1"
            "a",
            "Pe\xc3\xb1"
            "a",
            "Pe\xf1"
            "a"},
           {"a\x1b[2J\xc2\x9b\x9b", "a\x1b[2J\xc2\x9b\xef\xbf\xbd", "a?[2J??"},
           {"\xf8\x90\x80\x80", "\xc3\xb8\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd", "\xf8???"},  // no 5-byte lead
       }) {
    EXPECT_EQ(c.utf8, as_utf8(c.in)) << c.in;
    EXPECT_EQ(c.title, without_controls(c.in)) << c.in;
  }
}

TEST(TurkishAsUtf8, ReadsIso8859_9WhereLatin1HasOtherLetters) {
  for (const auto& [in, out] :
       std::vector<std::pair<std::string, std::string>>{{"AYD\xFDN", "AYDıN"},                     // AFAD's place names
                                                        {"\xDD\xDE\xD0 \xF0\xFE\xFD", "İŞĞ ğşı"},  // the six letters
                                                        {"\xC7\xD6\xDC\xE7\xF6\xFC", "ÇÖÜçöü"},    // as in Latin-1
                                                        {"İSTANBUL Ş", "İSTANBUL Ş"},              // UTF-8 stays
                                                        {"a\x80", "a\xEF\xBF\xBD"}}) {             // C1
    EXPECT_EQ(out, turkish_as_utf8(in)) << in;
  }
}

TEST(Escaped, KeepsPrintableTextAndEscapesEveryControlAndStrayByte) {
  struct Case {
    std::string in, out;
  };
  for (const Case& c : std::vector<Case>{
           {"Peña ~ 北京 \U0001F600", "Peña ~ 北京 \U0001F600"},  // UTF-8 of every length stays
           {"a\x1b[2Jb\tc\x7f", "a\\x1b[2Jb\\x09c\\x7f"},         // C0 and DEL
           {"\xc2\x9b"
            "31m \xc2\x85 \xc2\xa0",
            "\\xc2\\x9b31m \\xc2\\x85 \xc2\xa0"},  // C1 as UTF-8; NBSP stays
           {"\x9b"
            "31m \x80",
            "\\x9b31m \\x80"},  // C1 alone
           {"Pe\xf1"
            "a",
            "Pe\\xf1a"},                                                               // Latin-1
           {"\xc0\xaf \xe0\x80\xaf", "\\xc0\\xaf \\xe0\\x80\\xaf"},                    // overlong '/'
           {"\xed\xa0\x80 \xf4\x90\x80\x80", "\\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"},  // surrogate, past U+10FFFF
           {"\xe4\xba", "\\xe4\\xba"},                                                 // cut short at the end
           {"\xe4\xba"
            "a",
            "\\xe4\\xbaa"},  // cut short before ASCII
           {std::string("a\0b", 3), "a\\x00b"},
       }) {
    EXPECT_EQ(c.out, escaped(c.in)) << c.out;
    EXPECT_EQ(c.out, escaped(c.out)) << "escaping twice changes nothing";
  }
}
