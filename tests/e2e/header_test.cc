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
  std::string err;        // the whole report
  std::string label;
  int component;          // the file that fails
  std::string bytes;      // its content
  size_t console_lines;   // lines on stdout before the report
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
  const std::string long80(80, 'L');
  const std::vector<FatalCase> cases = {
      {kReadStartListDirect, "empty file", 0, "", 6},
      {kReadStartListDirect, "3 records", 0, header(3), 6},
      {kReadStartListDirect, "3 records and a part", 0, header(3) + "PART OF RECORD 4", 6},
      {kReadStartListDirect, "lone CR line ends: one record", 0,
       ComponentFile("TITLE", "\r").header(42).raw("    1.0000\r").bytes(), 6},
      {kReadStartListDirect, "0x1A in record 3", 0, header(2) + "HEAD\x1a" "ER 3\n" + header(42), 6},
      {kReadStartA80, "4 records", 0, header(4), 6},
      {kReadStartA80, "4 records and a part", 0, header(4) + "PART OF RECORD 5", 6},
      {kFmtEndA80, "5 records", 0, header(5), 6},
      {kFmtEndA80, "5 records and a short 6th", 0, header(5) + "SHORT TITLE", 6},
      {kFmtEndA80, "5 records and 79 columns", 0, header(5) + std::string(79, 'T'), 6},
      {kReadStartListSequential, "5 records and 80 columns", 0, header(5) + long80, 7},
      {kReadStartListSequential, "5 records and 90 columns", 0, header(5) + long80 + "0123456789", 7},
      {kReadStartListSequential, "6 records", 0, header(6), 7},
      {kReadStartListSequential, "40 records", 0, header(40), 7},
      {kReadStartListSequential, "40 records and a part", 0, header(40) + "PART OF RECORD 41", 7},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put(0, c.bytes);
    put(1, standard(1, 2));
    put(2, standard(2, 2));

    const RunResult result = run();

    std::vector<std::string> lines = console_lines({2, 2, 2}, {"TITLE RECORD OF A SHORT FILE", kTitles[1], kTitles[2]});
    if (c.label.find("columns") != std::string::npos) lines[6] = " " + long80 + "\n";
    std::string out;
    for (size_t k = 0; k < c.console_lines; ++k) out += lines[k];
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
