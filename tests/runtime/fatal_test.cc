#include "fatal.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kvb {
namespace {

TEST(ReportFirstLine, ByErrorNumber) {
  struct Case {
    const char* expected;
    int errnum;
    const char* context;
  } cases[] = {
      {"open: No such file or directory\n", ENOENT, "open"},
      {"write: File too large\n", EFBIG, "write"},
      {"read start: end of file\n", -1, "read start"},
      {"fmt: end of file\n", -1, "fmt"},
      {"open: null file name\n", 107, "open"},
      {"fmt: read unexpected character\n", 115, "fmt"},
      {"write start: can't write file\n", 127, "write start"},
      {"endfile: truncation failed in endfile\n", 111, "endfile"},
      {"x: error in format\n", 100, "x"},
      {"x: unit not connected\n", 109, "x"},
      {"x: unit not connected\n", 114, "x"},
      {"x: Temporary file name (TMPDIR?) too long\n", 132, "x"},
      {"open: can't overwrite input file\n", kInputFile, "open"},
      {"x: illegal error number 133\n", 133, "x"},
      {"x: illegal error number -2\n", -2, "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, report_first_line(c.errnum, c.context));
}

TEST(ReportStateLines, UnitFormatAndLately) {
  ReportState s;
  s.initialized = true;
  EXPECT_EQ("apparent state: internal I/O\nlately writing direct unformatted internal IO\n",
            report_state_lines(s, nullptr));

  s.unit = 11;
  std::string name = "KVB-N00.txt";
  s.format = "list io";
  s.external = true;
  s.formatted = true;
  EXPECT_EQ(
      "apparent state: unit 11 named KVB-N00.txt\nlast format: list io\n"
      "lately writing direct formatted external IO\n",
      report_state_lines(s, &name));

  name = "";  // an all-blank name: "named" and one blank
  s.format = nullptr;
  s.reading = true;
  s.sequential = true;
  EXPECT_EQ("apparent state: unit 11 named \nlately reading sequential formatted external IO\n",
            report_state_lines(s, &name));

  name = std::string("out\0put.csv", 11);  // as open() saw it
  EXPECT_EQ("apparent state: unit 11 named out\nlately reading sequential formatted external IO\n",
            report_state_lines(s, &name));

  // The format is shown up to the parenthesis that closes it.
  s.unit = 5;
  s.format = "(F7.3,3(\x02,\x02,F10.3)) and more";
  EXPECT_EQ(
      "apparent state: unit 5 (unnamed)\nlast format: (F7.3,3(\x02,\x02,F10.3))\n"
      "lately reading sequential formatted external IO\n",
      report_state_lines(s, nullptr));
}

TEST(FatalReportDeathTest, WritesTheReportThenAborts) {
  ReportState s;
  s.initialized = true;
  s.unit = 11;
  EXPECT_EXIT(fatal_report(-1, "fmt", s, nullptr), testing::KilledBySignal(SIGABRT),
              "^fmt: end of file\napparent state: unit 11 \\(unnamed\\)\nlately writing direct "
              "unformatted internal IO\n$");
}

}  // namespace
}  // namespace kvb
