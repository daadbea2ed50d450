// The output name read from stdin and the CSV file it names: trimming, long
// and short answers, existing files, failures to open or write.

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace e2e {
namespace {

const std::array<int, 3> kRecords = {2, 2, 3};  // nt = 16

std::string small_csv() { return csv_from_milli(samples(0, 16), samples(1, 16), samples(2, 24), 16); }

TEST_F(E2e, OutputNameIsOneEightyColumnField) {
  const std::string eighty = "n123456789" + std::string(60, 'x') + "_end80.csv";
  ASSERT_EQ(80u, eighty.size());
  struct Case {
    std::string file;   // the name of the file that appears
    std::string input;  // stdin
  };
  const std::vector<Case> cases = {
      {"out.csv", "out.csv\n"},
      {"out.csv", "out.csv     \n"},  // trailing blanks removed
      {"  out.csv", "  out.csv\n"},   // leading blanks kept
      {"out.csv", "out.csv\r\n"},     // CR LF reads as LF
      {"out.csv\t", "out.csv\t\n"},   // only blanks are trailing fill
      {"my out.csv", "my out.csv\n"},
      {"out.csv", "out.csv\nsecond.csv\n"},         // one line is read
      {eighty, eighty + "0123456789ABCDEFGHIJ\n"},  // 100 characters: the first 80
      {eighty, eighty + "12345"},                   // no line feed after 80 columns: still read
      {eighty, eighty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input \"" + c.input + "\"");
    clear_dir();
    put_standard(kRecords);

    const RunResult result = run(c.input);

    EXPECT_TRUE(result.exited(0)) << result.describe();
    EXPECT_EQ("", result.err);
    EXPECT_EQ(console(kRecords), result.out);
    EXPECT_EQ(std::vector<std::string>{c.file}, other_files());
    EXPECT_EQ(small_csv(), read(c.file));
  }
}

TEST_F(E2e, ReportsUnusableOutputName) {
  const std::string end_of_input =
      "fmt: end of file\n"
      "apparent state: unit 5 (unnamed)\n"
      "last format: (a80)\n"
      "lately reading sequential formatted external IO\n";
  const std::string null_name =
      "open: null file name\n"
      "apparent state: unit 11 named \n"
      "lately reading sequential formatted external IO\n";
  struct Case {
    std::string err;
    std::string input;
  };
  const std::vector<Case> cases = {
      {end_of_input, ""},
      {end_of_input, "out.csv"},  // a last line without line feed, shorter than 80
      {end_of_input, std::string(79, 'o')},
      {null_name, "\n"},
      {null_name, "      \n"},
      {null_name, "\r\n"},
      {"open: No such file or directory\n"
       "apparent state: unit 11 named nodir/out.csv\n"
       "lately reading sequential formatted external IO\n",
       "nodir/out.csv   \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input \"" + c.input + "\"");
    clear_dir();
    put_standard(kRecords);

    const RunResult result = run(c.input);

    EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(console(kRecords), result.out);
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

// An existing file is overwritten from its first byte and cut after the
// last line; with no line to write it stays byte for byte as it was.
TEST_F(E2e, ExistingOutputFile) {
  struct Case {
    std::string label;
    std::string name;
    int third_records;     // 0 or 1: nt <= 0, no line is written
    std::string existing;  // the file's bytes before the run
  };
  const std::vector<Case> cases = {
      {"longer than the CSV", "out.csv", 3, std::string(100000, 'Z')},
      {"shorter than the CSV", "out.csv", 3, "short\r\n"},
      {"nt = -8", "out.csv", 0, "keep these bytes\r\nas they are\n\x1a"},
      {"nt = 0", "out.csv", 1, "keep these bytes too\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put_standard({2, 2, c.third_records});
    dir_.write(c.name, c.existing);

    const RunResult result = run(c.name + "\n");

    EXPECT_TRUE(result.exited(0)) << result.describe();
    EXPECT_EQ("", result.err);
    EXPECT_EQ(console({2, 2, c.third_records}), result.out);
    const int nt = 8 * c.third_records - 8;
    const std::string expected = nt > 0 ? csv_from_milli(samples(0, 16), samples(1, 16),
                                                         samples(2, 8 * static_cast<size_t>(c.third_records)), nt)
                                        : c.existing;
    EXPECT_EQ(expected, read(c.name));
  }
}

// A name that reaches one of the component files just read, by any path or
// link, is refused before anything is opened: the component keeps its bytes.
TEST_F(E2e, RefusesAComponentFileAsOutput) {
  enum Link { kNone, kSymbolic, kHard };
  struct Case {
    std::string name;
    int component;  // the one it reaches
    Link link;      // made under that name first
  };
  const std::vector<Case> cases = {
      {kNames[0], 0, kNone},
      {"./" + kNames[0], 0, kNone},
      {"up-link.csv", 2, kSymbolic},
      {"n90-link.csv", 1, kHard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clear_dir();
    put_standard(kRecords);
    const std::string& target = kNames[static_cast<size_t>(c.component)];
    if (c.link == kSymbolic) { ASSERT_EQ(0, symlink(target.c_str(), dir_.file(c.name).c_str())); }
    if (c.link == kHard) { ASSERT_EQ(0, link(dir_.file(target).c_str(), dir_.file(c.name).c_str())); }
    const std::vector<std::string> entries = dir_.list();

    const RunResult result = run(c.name + "\n");

    EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    EXPECT_EQ(
        "open: can't overwrite input file\n"
        "apparent state: unit 11 named " +
            c.name +
            "\n"
            "lately reading sequential formatted external IO\n",
        result.err);
    EXPECT_EQ(console(kRecords), result.out);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(standard(k, kRecords[static_cast<size_t>(k)]), read(kNames[static_cast<size_t>(k)]));
    EXPECT_EQ(entries, dir_.list());
  }
}

TEST_F(E2e, WriteProtectedOutputFileStaysUnchanged) {
  const std::string reason = test_support::cannot_run_as_nobody(dir_.path());
  if (!reason.empty()) GTEST_SKIP() << reason;
  test_support::TempDir bin;
  const std::string program = test_support::copy_program(READ_KVB, bin.path());

  struct Case {
    std::string err;
    int third_records;
  };
  const std::vector<Case> cases = {
      {std::string("write start: can't write file\n"
                   "apparent state: unit 11 named locked.csv\n"
                   "last format: (F7.3,3(\x02,\x02,F10.3))\n"
                   "lately writing sequential formatted external IO\n"),
       3},
      {"", 0},  // no line to write: no error
  };
  const std::string existing = "write-protected\nbytes\n";
  for (const Case& c : cases) {
    SCOPED_TRACE("third records " + std::to_string(c.third_records));
    clear_dir();
    put_standard({2, 2, c.third_records});
    dir_.write("locked.csv", existing);
    chmod(dir_.file("locked.csv").c_str(), 0444);
    RunOptions as_nobody = options("locked.csv\n");
    as_nobody.argv = {program};
    as_nobody.uid = test_support::kNobody;

    const RunResult result = run(as_nobody);

    if (c.err.empty()) {
      EXPECT_TRUE(result.exited(0)) << result.describe();
    } else {
      EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    }
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(console({2, 2, c.third_records}), result.out);
    EXPECT_EQ(existing, read("locked.csv"));
    EXPECT_EQ(std::vector<std::string>{"locked.csv"}, other_files());
  }
}

// A CSV that cannot be written whole is not a success. A file size limit
// is such a failure whether or not SIGXFSZ was ignored when the run began,
// and what was written stays a prefix of the new CSV, old bytes cut off.
TEST_F(E2e, ReportsFailedCsvWrite) {
  struct Case {
    std::string err;
    std::string name;
    bool size_limited;  // RLIMIT_FSIZE of 4096 bytes
    bool sigxfsz_ignored;
    size_t old_bytes;  // a longer file of that name before the run
  };
  const std::string too_large =
      "write: File too large\n"
      "apparent state: unit 11 named big.csv\n"
      "lately writing sequential formatted external IO\n";
  const std::vector<Case> cases = {
      {too_large, "big.csv", true, true, 0},
      {too_large, "big.csv", true, false, 70000},
      {"write: No space left on device\n"
       "apparent state: unit 11 named /dev/full\n"
       "lately writing sequential formatted external IO\n",
       "/dev/full", false, false, 0},
  };
  const std::string csv = csv_from_milli(samples(0, 16), samples(1, 16), samples(2, 1600), 1592);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + (c.sigxfsz_ignored ? ", SIGXFSZ ignored" : "") + (c.old_bytes ? ", over a longer file" : ""));
    clear_dir();
    put_standard({2, 2, 200});  // 1592 lines, 65272 bytes
    if (c.old_bytes) dir_.write(c.name, std::string(c.old_bytes, '#'));
    RunOptions failing = options(c.name + "\n");
    if (c.size_limited) failing.file_size_limit = 4096;
    if (c.sigxfsz_ignored) failing.ignored_signals = {SIGXFSZ};

    const RunResult result = run(failing);

    EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(console({2, 2, 200}), result.out);
    if (c.size_limited) { EXPECT_EQ(csv.substr(0, 4096), read(c.name)); }
  }
}

}  // namespace
}  // namespace e2e
