// Whole runs that succeed: the console transcript, the CSV bytes for known
// values, the numeric field rules as they show in the CSV, line ends, 0x1A.

#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace e2e {
namespace {

using test_support::field10;

const std::string kZero = "     0.000";

TEST_F(E2e, TypicalRunWritesTranscriptAndCsv) {
  const std::string expected_console =
      " Program for Reading CDMG-TYpe Strong Motion Data\n"
      "\n"
      " Enter 1st File Name of 3 Components\n"
      " Enter 2nd File Name of 3 Components\n"
      " Enter 3rd File Name of 3 Components\n"
      "  assumed dt =  0.00499999989\n"
      " CHANNEL 1 SAMPLE TITLE TEXT                                                     \n"
      " i,in= 4000 32001\n"
      " nt= 31992\n"
      " CHANNEL 2 SAMPLE TITLE TEXT                                                     \n"
      " i,in= 4000 32001\n"
      " nt= 31992\n"
      " CHANNEL 3 SAMPLE TITLE TEXT                                                     \n"
      " i,in= 4000 32001\n"
      " nt= 31992\n"
      "\n"
      " Enter Output Acceleration File Name (CSV format)\n";
  ASSERT_EQ(expected_console, console({4000, 4000, 4000}));  // the helper used elsewhere
  put_standard({4000, 4000, 4000});

  const RunResult result = run("accel.csv\n");

  EXPECT_TRUE(result.exited(0)) << result.describe();
  EXPECT_EQ("", result.err);
  EXPECT_EQ(expected_console, result.out);
  const std::string csv = read("accel.csv");
  ASSERT_EQ(31992 * kCsvLineBytes, csv.size());
  EXPECT_EQ(csv_from_milli(samples(0, 32000), samples(1, 32000), samples(2, 32000), 31992), csv);
  EXPECT_EQ("159.955,", csv.substr(csv.size() - kCsvLineBytes, 8));
  EXPECT_EQ(std::vector<std::string>{"accel.csv"}, other_files());
}

// The three whole lines that show the F10.3 rules side by side; line 4001
// also shows the time column at 20 seconds.
TEST_F(E2e, WritesKnownLinesExactly) {
  const int records = 502;  // nt = 4008 reaches line 4001
  std::vector<std::vector<std::string>> columns(3, std::vector<std::string>(8 * records, "0.0"));
  const std::vector<std::vector<std::string>> known = {
      {"0.0123", "-0.0004", "-12.3456"},       // x at lines 1, 2, 4001
      {"-0.5", "99999.999", "0"},              // y
      {"1234.5678", "-123456.7", "-1.0E-50"},  // z: the last one is a negative zero
  };
  for (size_t c = 0; c < 3; ++c) {
    columns[c][0] = known[c][0];
    columns[c][1] = known[c][1];
    columns[c][4000] = known[c][2];
    ComponentFile file(kTitles[c]);
    file.header();
    for (int r = 0; r < records; ++r) {
      std::string line;
      for (int f = 0; f < 8; ++f) line += field10(columns[c][static_cast<size_t>(8 * r + f)]);
      file.record(line);
    }
    put(static_cast<int>(c), file.bytes());
  }

  const RunResult result = run();

  ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
  const std::string csv = read("out.csv");
  ASSERT_EQ(4008 * kCsvLineBytes, csv.size());
  EXPECT_EQ("  0.000,     0.012,    -0.500,  1234.568\n", csv.substr(0, 41));
  EXPECT_EQ("  0.005,     0.000,100000.000,**********\n", csv.substr(41, 41));
  EXPECT_EQ(" 20.000,   -12.346,     0.000,     0.000\n", csv.substr(4000 * 41, 41));
  EXPECT_EQ("  0.010,     0.000,     0.000,     0.000\n", csv.substr(2 * 41, 41));
  EXPECT_EQ(" 20.035,     0.000,     0.000,     0.000\n", csv.substr(4007 * 41, 41));
}

// Each case is one data record of the first component; its eight values show
// in the x column of eight consecutive CSV lines.
struct RecordCase {
  std::vector<std::string> x;  // the eight F10.3 fields expected
  std::string record;          // the data record as written (no line end)
};

std::vector<std::string> one(const std::string& first) {
  return {first, kZero, kZero, kZero, kZero, kZero, kZero, kZero};
}

TEST_F(E2e, FieldRulesShowInCsv) {
  const std::vector<RecordCase> cases = {
      {one("     1.235"), "    1.2345"},  // nearest single 1.23450005
      {one("     1.235"), "  1.2345  "},  // trailing blanks passed over
      {one("   123.457"), "   1234567"},  // no point: four implied decimals
      {one("     0.001"), "        12"},
      {one("     0.123"), "  1 2 3 4 "},  // embedded blanks ignored
      {one("   150.000"), "   1.5E+02"},
      {one("   150.000"), "   1.5d+02"},
      {one("   150.000"), "   1.5D+02"},
      {one("   150.000"), "   1.5e+02"},
      {one("     0.015"), "    1.5-02"},  // exponent by its sign alone
      {one("   150.000"), "    1.5+02"},
      {one("  1000.000"), " 1.0E + 3 "},  // blanks inside the exponent ignored
      {one("     0.123"), "  12345E-1"},  // implied decimals apply with an exponent too
      {one("     0.500"), "       5E3"},
      {one("    25.000"), "  2.5E 1  "},
      {one("     0.000"), "          "},
      {one("     0.000"), "   -0.0000"},
      {one("     0.000"), "0000000000"},
      {one("     0.000"), "     -    "},
      {one("   -12.500"), "     -12.5"},
      {one("    12.500"), "     +12.5"},
      {one("     0.125"), "      .125"},
      {one("    12.500"), "   00012.5"},
      {one("     1.000"), "        1."},
      {one("     1.235"), "1.23456789"},  // ten significant digits
      {one("     0.012"), "1.2345E-02"},
      {one("     0.000"), "  -1.0E-40"},  // a negative subnormal is written as zero
      {one("     0.000"), "  -1.0E-50"},  // a negative zero likewise
      {one("     0.000"), "-0.0000001"},
      {one("     0.000"), "   -0.0004"},
      {one("    -0.001"), "   -0.0005"},
      {one("   -10.000"), "   -9.9995"},
      {one(" -1234.568"), "-1234.5678"},
      {one("-99999.992"), " -99999.99"},
      {one("100000.000"), " 99999.999"},
      {one("**********"), "-99999.999"},
      {one("**********"), " -123456.7"},
      {one("999999.875"), "  999999.9"},
      {one("**********"), "     1.0E6"},
      {{"     1.000", "     2.000", "     3.000", "     4.000", "     5.000", "     6.000", "     7.000", "     8.000"},
       "1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0"},  // a comma ends a field early
      {{"     1.000", kZero, "     3.000", kZero, kZero, kZero, kZero, kZero}, "1.0,,3.0"},
      {{"   150.000", "    -0.250", "     3.000", kZero, kZero, kZero, kZero, kZero}, "1.5E2,-2.5-1,30000"},
      // A line of 36 columns: field 4 is read from columns 31 to 36 alone.
      {{"     1.000", "     2.000", "     3.000", "     0.123", kZero, kZero, kZero, kZero},
       "    1.0000    2.0000    3.0000  1234"},
      // Columns after 80 are ignored, even ones that could not stand in a field.
      {{"     1.000", "    -2.000", "     3.000", "    -4.000", "     5.000", "    -6.000", "     7.000", "    -8.000"},
       "    1.0000   -2.0000    3.0000   -4.0000    5.0000   -6.0000    7.0000   -8.0000X\tjunk,1.5"},
  };
  ComponentFile n00(kTitles[0]);
  n00.header();
  for (const RecordCase& c : cases) n00.record(c.record);
  put(0, n00.bytes());
  const int records = static_cast<int>(cases.size()) + 1;  // nt covers every case
  put(1, standard(1, records));
  put(2, standard(2, records));

  const RunResult result = run();

  ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
  EXPECT_EQ(console({static_cast<int>(cases.size()), records, records}), result.out);
  const std::string csv = read("out.csv");
  ASSERT_EQ(static_cast<size_t>(8 * records - 8) * kCsvLineBytes, csv.size());
  for (size_t k = 0; k < cases.size(); ++k) {
    for (size_t f = 0; f < 8; ++f) {
      const size_t line = 8 * k + f;
      EXPECT_EQ(cases[k].x[f], csv.substr(line * kCsvLineBytes + 8, 10))
          << "record \"" << cases[k].record << "\", field " << f + 1;
    }
  }
}

// Values too wide for four decimals are written in exponent form, as in
// agency files: the CSV shows what that form holds.
TEST_F(E2e, ReadsValuesWrittenInExponentForm) {
  const std::vector<std::string> expected = {"     0.500", "    -0.250", "   123.456", "-12350.000",
                                             " 98765.430", "     0.000", "     0.001", "**********"};
  put(0, ComponentFile(kTitles[0])
             .header()
             .values({0.5, -0.25, 123.456, -12345.678, 98765.4321, -0.0001, 1.0e-3, 1234567.0})
             .bytes());
  ASSERT_NE(
      std::string::npos,
      read(kNames[0]).find("\n    0.5000   -0.2500  123.4560-1.235E+0498765.4321   -0.0001    0.0010 1.235E+06\n"));
  put(1, standard(1, 2));
  put(2, standard(2, 2));

  const RunResult result = run();

  ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
  const std::string csv = read("out.csv");
  ASSERT_EQ(8 * kCsvLineBytes, csv.size());
  for (size_t line = 0; line < 8; ++line) EXPECT_EQ(expected[line], csv.substr(line * kCsvLineBytes + 8, 10));
}

TEST_F(E2e, InvalidCharacterInFieldIsFatal) {
  const std::string expected_err =
      "fmt: read unexpected character\n"
      "apparent state: unit 11 named KVB-UP.txt\n"
      "last format: (8E10.4)\n"
      "lately reading sequential formatted external IO\n";
  const std::vector<std::string> fields = {
      "   1.0E   ",  // exponent letter without digits
      "    1.0-  ",  // exponent sign without digits
      "   1.0X   ",
      "   1.0\t   ",  // a tab
      "\t    1.0  ",
      "   1.0.0  ",   // a second point
      "   1.0\r5  ",  // a lone carriage return is an ordinary byte
      " 1.5E+02X ",   // the exponent must end at the field's end or a comma
      "     1.0E+",   // the columns run out after the sign
  };
  for (const std::string& field : fields) {
    SCOPED_TRACE("field \"" + field + "\"");
    clear_dir();
    put(0, standard(0, 3));
    put(1, standard(1, 3));
    put(2, ComponentFile(kTitles[2])
               .header()
               .fields({"1.0", "2.0"})
               .record(field10("3.0") + field)
               .fields({"4.0"})
               .bytes());

    const RunResult result = run();

    EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    EXPECT_EQ(expected_err, result.err);
    EXPECT_EQ(console({3, 3, 0}, kAfterTitle[2]), result.out);
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

TEST_F(E2e, CrLfLineEndsReadLikeLf) {
  put_standard({20, 30, 25});
  const RunResult lf = run("lf.csv\n");
  ASSERT_TRUE(lf.exited(0)) << lf.describe() << lf.err;
  ASSERT_EQ(console({20, 30, 25}), lf.out);
  ASSERT_EQ(csv_from_milli(samples(0, 160), samples(1, 240), samples(2, 200), 192), read("lf.csv"));

  for (int c = 0; c < 3; ++c) put(c, standard(c, std::array<int, 3>{20, 30, 25}[static_cast<size_t>(c)], "\r\n"));
  const RunResult crlf = run("crlf.csv\r\n");

  EXPECT_TRUE(crlf.exited(0)) << crlf.describe();
  EXPECT_EQ(lf.out, crlf.out);
  EXPECT_EQ(lf.err, crlf.err);
  EXPECT_EQ(read("lf.csv"), read("crlf.csv"));
}

// A byte 0x1A ends the file where it stands.
TEST_F(E2e, ByteOneAEndsTheFile) {
  put(0, ComponentFile(kTitles[0]).header().milli(samples(0, 16)).raw("\x1a    9.9999 rest is never read\n").bytes());
  // Two whole fields, then the end inside the third: the record is not
  // counted, but its two values are stored.
  put(1, ComponentFile(kTitles[1])
             .header()
             .milli(samples(1, 8))
             .raw("    1.5000   -2.5000   3.5\x1a"
                  "000\n")
             .bytes());
  put(2, ComponentFile(kTitles[2]).header().milli(samples(2, 24)).raw("\x1a").bytes());

  const RunResult result = run();

  ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
  EXPECT_EQ(console({2, 1, 3}), result.out);
  std::vector<long> y = samples(1, 8);
  y.push_back(1500);
  y.push_back(-2500);
  EXPECT_EQ(csv_from_milli(samples(0, 16), y, samples(2, 24), 16), read("out.csv"));
}

// The title record is one 80-column field, echoed after one blank.
TEST_F(E2e, EchoesTitleRecordAsOneField) {
  struct Case {
    std::string echo;   // the console line without its line feed
    std::string title;  // record 6 as written
  };
  const std::string ninety =
      "0123456789ABCDEFGHIJ0123456789ABCDEFGHIJ0123456789ABCDEFGHIJ0123456789ABCDEFGHIJ-cut-here";
  const std::vector<Case> cases = {
      {" " + ninety.substr(0, 80), ninety},
      {" TWENTY-CHARS TITLE.." + std::string(60, ' '), "TWENTY-CHARS TITLE.."},
      {" " + std::string(80, ' '), ""},
      {" A\tTAB, 'QUOTES' / \"SLASH\"" + std::string(55, ' '), "A\tTAB, 'QUOTES' / \"SLASH\""},
      {std::string(" NUL\0IN TITLE", 13) + std::string(68, ' '), std::string("NUL\0IN TITLE", 12)},
      {" LONE\rCR \xe9\xff" + std::string(70, ' '), "LONE\rCR \xe9\xff"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("title \"" + c.title + "\"");
    clear_dir();
    put(0, ComponentFile(c.title).header().milli(samples(0, 16)).bytes());
    put(1, standard(1, 2));
    put(2, standard(2, 2));

    const RunResult result = run();

    ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
    ASSERT_EQ(81u, c.echo.size());
    std::vector<std::string> lines = console_lines({2, 2, 2});
    lines[6] = c.echo + "\n";
    std::string expected;
    for (const std::string& line : lines) expected += line;
    EXPECT_EQ(expected, result.out);
  }
}

}  // namespace
}  // namespace e2e
