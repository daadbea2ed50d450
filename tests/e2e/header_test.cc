// Component files that are missing or end within their 42 header records:
// the fatal report on stderr, the console lines before it, death by SIGABRT.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace e2e {
namespace {

struct FatalCase {
  std::string err;  // the whole report
  std::string label;
  int component;         // the file that fails
  std::string bytes;     // its content
  size_t console_lines;  // lines on stdout before the report
};

void expect_fatal(const RunResult& result, const std::string& err, const std::string& out) {
  EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
  EXPECT_EQ(err, result.err);
  EXPECT_EQ(out, result.out);
}

std::string header(int count, const std::string& title = "TITLE RECORD OF A SHORT FILE") {
  return ComponentFile(title).header(count).bytes();
}

const char kReadStartListDirect[] =
    "read start: end of file\n"
    "apparent state: unit 11 named KVB-N00.txt\n"
    "last format: list io\n"
    "lately reading direct formatted external IO\n";
const char kReadStartA80[] =
    "read start: end of file\n"
    "apparent state: unit 11 named KVB-N00.txt\n"
    "last format: (a80)\n"
    "lately reading sequential formatted external IO\n";
const char kFmtEndA80[] =
    "fmt: end of file\n"
    "apparent state: unit 11 named KVB-N00.txt\n"
    "last format: (a80)\n"
    "lately reading sequential formatted external IO\n";
const char kReadStartListSequential[] =
    "read start: end of file\n"
    "apparent state: unit 11 named KVB-N00.txt\n"
    "last format: list io\n"
    "lately reading sequential formatted external IO\n";

TEST_F(E2e, ReportsComponentEndingWithinHeader) {
  struct Case {
    std::string err;
    std::string echo;  // the title line on stdout before the report, if any
    std::string label;
    std::string bytes;  // the first component file
  };
  const std::string long80(layout::kTitleColumns, 'L');
  const std::string echo80 = " " + long80;
  const std::string echo_short = " TITLE RECORD OF A SHORT FILE" + std::string(52, ' ');
  const std::vector<Case> cases = {
      {kReadStartListDirect, "", "empty file", ""},
      {kReadStartListDirect, "", "3 records", header(3)},
      {kReadStartListDirect, "", "3 records and a part", header(3) + "PART OF RECORD 4"},
      {kReadStartListDirect, "", "lone CR line ends: one record",
       ComponentFile("TITLE", "\r").header().raw("    1.0000\r").bytes()},
      {kReadStartListDirect, "", "0x1A in record 3",
       header(2) +
           "HEAD\x1a"
           "ER 3\n" +
           header(layout::kHeaderRecords)},
      {kReadStartA80, "", "4 records", header(4)},
      {kReadStartA80, "", "4 records and a part", header(4) + "PART OF RECORD 5"},
      {kFmtEndA80, "", "5 records", header(5)},
      {kFmtEndA80, "", "5 records and a short 6th", header(5) + "SHORT TITLE"},
      {kFmtEndA80, "", "5 records and 79 columns", header(5) + std::string(79, 'T')},
      {kReadStartListSequential, echo80, "5 records and 80 columns", header(5) + long80},
      {kReadStartListSequential, echo80, "5 records and 90 columns", header(5) + long80 + "0123456789"},
      {kReadStartListSequential, echo_short, "6 records", header(6)},
      {kReadStartListSequential, echo_short, "40 records", header(40)},
      {kReadStartListSequential, echo_short, "40 records and a part", header(40) + "PART OF RECORD 41"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put(0, c.bytes);
    put(1, standard(1, 2));
    put(2, standard(2, 2));

    const RunResult result = run();

    const std::string out = console({2, 2, 2}, kBeforeFirstFile) + (c.echo.empty() ? "" : c.echo + "\n");
    expect_fatal(result, c.err, out);
    EXPECT_EQ(c.bytes, read(kNames[0]));
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

// The later components are reached after formatted reads, so the access word
// reads sequential even for the early skips.
TEST_F(E2e, ReportsLaterComponentEndingWithinHeader) {
  const std::vector<FatalCase> cases = {
      {"read start: end of file\n"
       "apparent state: unit 11 named KVB-N90.txt\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n",
       "empty second file", 1, "", 9},
      {"read start: end of file\n"
       "apparent state: unit 11 named KVB-UP.txt\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n",
       "third file of 2 records", 2, header(2), 12},
      {"read start: end of file\n"
       "apparent state: unit 11 named KVB-N90.txt\n"
       "last format: (a80)\n"
       "lately reading sequential formatted external IO\n",
       "second file of 4 records and a part", 1, header(4) + "PART", 9},
      {"fmt: end of file\n"
       "apparent state: unit 11 named KVB-UP.txt\n"
       "last format: (a80)\n"
       "lately reading sequential formatted external IO\n",
       "third file of 5 records", 2, header(5), 12},
      {"read start: end of file\n"
       "apparent state: unit 11 named KVB-UP.txt\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n",
       "third file of 40 records", 2, header(40), 13},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put_standard({2, 2, 2});
    put(c.component, c.bytes);

    const RunResult result = run();

    std::array<std::string, 3> titles = kTitles;
    titles[static_cast<size_t>(c.component)] = "TITLE RECORD OF A SHORT FILE";
    expect_fatal(result, c.err, console({2, 2, 2}, c.console_lines, titles));
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

TEST_F(E2e, ReportsMissingComponent) {
  const std::vector<FatalCase> cases = {
      {"open: No such file or directory\n"
       "apparent state: unit 11 named KVB-N00.txt\n"
       "last format: list io\n"
       "lately writing direct formatted external IO\n",
       "first", 0, "", kBeforeFirstFile},
      {"open: No such file or directory\n"
       "apparent state: unit 11 named KVB-N90.txt\n"
       "last format: list io\n"
       "lately writing sequential formatted external IO\n",
       "second", 1, "", kAfterFile[0]},
      {"open: No such file or directory\n"
       "apparent state: unit 11 named KVB-UP.txt\n"
       "last format: list io\n"
       "lately writing sequential formatted external IO\n",
       "third", 2, "", kAfterFile[1]},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put_standard({2, 2, 2});
    ASSERT_EQ(0, std::remove(dir_.file(kNames[static_cast<size_t>(c.component)]).c_str()));

    const RunResult result = run();

    expect_fatal(result, c.err, console({2, 2, 2}, c.console_lines));
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

// Stdout written to a pipe rather than a file still carries every console
// line from before the report: they are written out on the abortive end.
TEST_F(E2e, ConsoleLinesReachPipeBeforeAbort) {
  put_standard({2, 2, 2});
  put(2, header(5));
  RunOptions piped = options();
  piped.stdout_mode = test_support::OutMode::kPipe;

  const RunResult result = run(piped);

  std::array<std::string, 3> titles = kTitles;
  titles[2] = "TITLE RECORD OF A SHORT FILE";
  expect_fatal(result,
               "fmt: end of file\n"
               "apparent state: unit 11 named KVB-UP.txt\n"
               "last format: (a80)\n"
               "lately reading sequential formatted external IO\n",
               console({2, 2, 2}, kAfterFile[1], titles));
}

}  // namespace
}  // namespace e2e
