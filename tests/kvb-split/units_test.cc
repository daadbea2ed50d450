// The pieces of kvb-split on their own: fields, descriptors, channel lines,
// orientations, line ends and the 42 header records.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "channel_header.h"
#include "data_fields.h"
#include "descriptor.h"
#include "line_reader.h"
#include "orientation.h"
#include "volume_reader.h"

namespace {

TEST(FieldNumber, KeepsTheDigitsAndPlacesAMissingPoint) {
  struct Case { const char* want; const char* field; int decimals; };
  for (const Case& c : std::vector<Case>{
           {"-.000010", "  -.000010", 6},
           {"-999.00000", "-999.00000", 5},  // fills the field, touching the one before
           {"1.5d+02", "  1.5d+02 ", 4},
           {"1.0-03", "    1.0-03", 4},      // exponent given by its sign alone
           {".123456", "    123456", 6},     // no point: the input's implied decimals
           {"-.000012", "       -12", 6},
           {"12.", "        12", 0},
           {"1.2345E-1", "  12345E-1", 4},   // implied decimals hold with an exponent too
       }) {
    std::string why;
    EXPECT_EQ(c.want, field_number(c.field, c.decimals, why).value_or("(none: " + why + ")")) << c.field;
  }
}

TEST(FieldNumber, RejectsWhatIsNotANumber) {
  for (const char* field : {"          ", "   1 2    ", "  1.0E    ", "  1.0-    ", "  1.0X    ",
                            "   +      ", "   .      ", "   1..2   ", "  1.0\t   ", "  --1.0   "}) {
    std::string why;
    EXPECT_FALSE(field_number(field, 4, why)) << "\"" << field << "\"";
    EXPECT_FALSE(why.empty());
  }
}

// Runs lines through a DataWriter; returns what it wrote, or "error: why".
std::string write_data(const DataLayout& layout, const std::vector<std::pair<std::string, int>>& lines) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  DataWriter writer(out, layout);
  std::string why;
  for (const auto& [line, count] : lines) {
    if (!writer.add_line(line, count, why)) break;
  }
  writer.finish();
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return why.empty() ? text : "error: " + why;
}

TEST(DataWriter, CopiesTenColumnLinesAndRewritesOthers) {
  const std::string full = "  -.000010-12.345678   .000002   .000014   .000017  -.000002  -.000036  -.000057";
  EXPECT_EQ(full + "\n" + "    -2.322    -2.446\n",
            write_data({8, 10, 6, true}, {{full, 8}, {"    -2.322    -2.446", 2}}));
  // Nine columns (Volume 1) become ten; the short last line stays short.
  EXPECT_EQ("  -.000010 -1.234567   .000002   .000014   .000017  -.000002  -.000036  -.000057\n"
            "   .000001\n",
            write_data({8, 9, 6, true},
                       {{" -.000010-1.234567  .000002  .000014  .000017 -.000002 -.000036 -.000057", 8},
                        {"  .000001", 1}}));
  // Five to a line in, eight to a line out.
  EXPECT_EQ("       1.0       2.0       3.0       4.0       5.0       6.0       7.0       8.0\n"
            "       9.0\n",
            write_data({5, 6, 1, true}, {{"   1.0   2.0   3.0   4.0   5.0", 5},
                                         {"   6.0   7.0   8.0   9.0", 4}}));
  // A field without a point would get read-KVB's four implied decimals.
  EXPECT_EQ("   .000010   .000020\n", write_data({8, 10, 6, true}, {{"        10        20", 2}}));
  // Card sequence numbers after the last field are no data.
  EXPECT_EQ("       1.0       2.0\n", write_data({2, 9, 1, true}, {{"      1.0      2.0CARD0001", 2}}));
}

TEST(DataWriter, NamesTheFieldThatIsWrong) {
  EXPECT_EQ("error: field 2: \"1.0x\" is not a number",
            write_data({8, 10, 6, true}, {{"       1.0      1.0x", 8}}));
  EXPECT_EQ("error: more values than the descriptor's point count (field 3 holds \"       3.0\")",
            write_data({8, 10, 6, true}, {{"       1.0       2.0       3.0", 2}}));
  EXPECT_EQ("error: field 1: \"-1.2345678E+01\" does not fit in 10 columns",
            write_data({1, 15, 7, true}, {{" -1.2345678E+01", 1}}));
  std::string seven;
  for (int k = 0; k < 7; ++k) seven += "       1.0";
  EXPECT_EQ("error: field 8: blank field", write_data({8, 10, 6, true}, {{seven, 8}}));
}

TEST(Descriptor, ReadsCountIntervalAndFormatOfBothVolumes) {
  struct Case { const char* line; long points; double interval; DataLayout layout; };
  for (const Case& c : std::vector<Case>{
           {" 12000 points of accel data equally spaced at  .005 sec, in cm/sec2. (8f10.6)", 12000, 0.005,
            {8, 10, 6, true}},
           {" 14000 Accelerogram points at 200 pts/sec in units of g .      Format: (8f9.6)  ", 14000, 0.005,
            {8, 9, 6, true}},
           {" 3001 POINTS OF ACCEL DATA EQUALLY SPACED AT  .020 SEC.  (UNITS: CM/SEC/SEC)", 3001, 0.02,
            {8, 10, 0, false}},
           {"  4000 points of accel data equally spaced at 0.010 sec, in g. (5E15.7)", 4000, 0.01,
            {5, 15, 7, true}},
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

TEST(ChannelHeader, FindsStationChannelAndOrientation) {
  struct Case { std::vector<std::string> lines; std::string title; };
  for (const Case& c : std::vector<Case>{
           {{"Corrected accelerogram   12345   Chan  1: 360 Deg     from",
             "Station No. 12345   40.000N, 120.000W      Synth s/n 1",
             "Cedar Flat                                SYN", "Chan  1: 360 Deg"},
            "Cedar Flat, station 12345, channel 1: 360 Deg"},
           {{"STATION NO. 54321   35.000N, 121.000W     SYN-1", "PINE RIDGE 2", "CHAN  2: UP"},
            "PINE RIDGE 2, station 54321, channel 2: UP"},
           {{"Chan  2:  Long                      Location: Abutment 1"}, "channel 2: Long"},
           {{"12345-S0001      Cedar Flat      Chan  3:  90 Deg"}, "channel 3: 90 Deg"},
           {{"Station No. 1", std::string(60, 'N') + "  Chan 12: Up"}, std::string(40, 'N') + ", station 1, channel 12: Up"},
       }) {
    auto h = parse_channel_header(c.lines);
    ASSERT_TRUE(h) << c.title;
    EXPECT_EQ(c.title, make_title(*h));
  }
  EXPECT_FALSE(parse_channel_header({"Station No. 1", "Chan: Up", "Channels: 3"}));
  ChannelHeader long_name{"1", std::string(70, 'x'), 1, "Up"};
  EXPECT_EQ(80u, make_title(long_name).size());
}

TEST(Orientation, SendsNorthToN00ElseFirstHorizontal) {
  auto pick = [](std::vector<const char*> words) {
    std::vector<Orientation> o;
    for (const char* w : words) o.push_back(classify_orientation(w).value());
    std::string why;
    auto p = assign_components(o, why);
    return p ? std::to_string((*p)[0]) + std::to_string((*p)[1]) + std::to_string((*p)[2]) : why;
  };
  EXPECT_EQ("201", pick({"90 Deg", "Up", "360 Deg"}));
  EXPECT_EQ("120", pick({"UP", "0 DEG", "90 DEG"}));
  EXPECT_EQ("120", pick({"Up", "Long", "Tran"}));
  EXPECT_EQ("012", pick({"270 Deg", "180 Deg", "vert"}));
  EXPECT_EQ("012", pick({"360 Deg", "0 Deg", "Down"}));
  EXPECT_EQ("need one vertical and two horizontal channels, found 2 vertical and 1 horizontal",
            pick({"Up", "90 Deg", "Down"}));
  for (const char* bad : {"NE", "361 Deg", "", "9x"}) EXPECT_FALSE(classify_orientation(bad)) << bad;
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
