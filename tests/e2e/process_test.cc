// The process around the run: signals while waiting for the output name,
// arguments, a broken stdout pipe, closed standard descriptors, memory that
// runs out, memcheck.

#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e_fixture.h"

namespace e2e {
namespace {

using test_support::ChildProcess;
using test_support::OutMode;
using test_support::StdinMode;

const std::array<int, 3> kRecords = {3, 4, 5};  // nt = 32
constexpr std::chrono::seconds kStartLimit{10};

std::string small_csv() { return csv_from_milli(samples(0, 24), samples(1, 32), samples(2, 40), 32); }

TEST_F(E2e, SignalWhileWaitingForName) {
  struct Case {
    std::string err;
    int sig;
  };
  for (const Case& c : {Case{"Interrupt\n", SIGINT}, Case{"Killed\n", SIGTERM}}) {
    SCOPED_TRACE(c.err);
    clear_dir();
    put_standard(kRecords);
    RunOptions waiting = options();
    waiting.stdin_mode = StdinMode::kPipe;
    ChildProcess child(waiting);
    ASSERT_TRUE(child.wait_until_reading_stdin(kStartLimit)) << "never waited for the output name";

    child.send(c.sig);
    const RunResult result = child.finish();

    EXPECT_TRUE(result.exited(1)) << result.describe();
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(console(kRecords), result.out);
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

TEST_F(E2e, IgnoredInterruptStaysIgnored) {
  put_standard(kRecords);
  RunOptions waiting = options();
  waiting.stdin_mode = StdinMode::kPipe;
  waiting.ignored_signals = {SIGINT};
  ChildProcess child(waiting);
  ASSERT_TRUE(child.wait_until_reading_stdin(kStartLimit)) << "never waited for the output name";

  child.send(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(child.wait_until_reading_stdin(std::chrono::milliseconds(500))) << "stopped waiting after SIGINT";
  child.write_stdin("out.csv\n");
  child.close_stdin();
  const RunResult result = child.finish();

  EXPECT_TRUE(result.exited(0)) << result.describe();
  EXPECT_EQ("", result.err);
  EXPECT_EQ(console(kRecords), result.out);
  EXPECT_EQ(small_csv(), read("out.csv"));
}

// Memory that runs out, wherever in the run (an address space limit raised
// step by step), ends it with the run-time's report, error 113: never a
// crash or an uncaught exception. Limits too small to start the program at
// all give no console line and are passed over.
TEST_F(E2e, OutOfMemoryIsTheRunTimesReport) {
#ifdef KVB_SANITIZED
  GTEST_SKIP() << "AddressSanitizer needs far more address space than any limit tried here";
#endif
  put_standard(kRecords);
  const std::string whole = console(kRecords);
  int reports = 0;
  bool succeeded = false;
  for (rlim_t limit = 256 << 10; limit < (64 << 20) && !succeeded; limit += 16 << 10) {
    SCOPED_TRACE(std::to_string(limit >> 10) + " KiB");
    std::filesystem::remove(dir_.file("out.csv"));
    RunOptions limited = options();
    limited.memory_limit = limit;

    const RunResult result = run(limited);

    if (result.exited(0)) {
      succeeded = true;
      EXPECT_EQ("", result.err);
      EXPECT_EQ(whole, result.out);
      EXPECT_EQ(small_csv(), read("out.csv"));
      continue;
    }
    const bool report = result.err.starts_with("malloc failure: out of free space\n") ||
                        result.err.starts_with("no space: out of free space\n");
    if (!report && result.out.empty()) continue;  // it never started
    ++reports;
    EXPECT_TRUE(report) << result.err;
    EXPECT_TRUE(result.err.ends_with(" IO\n")) << result.err;
    EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    EXPECT_EQ(whole.substr(0, result.out.size()), result.out);
    const std::string csv = dir_.read("out.csv").value_or("");
    EXPECT_EQ(small_csv().substr(0, csv.size()), csv);
  }
  EXPECT_TRUE(succeeded);
  EXPECT_LT(0, reports);
}

TEST_F(E2e, ArgumentsChangeNothing) {
  put_standard(kRecords);
  RunOptions with_arguments = options();
  with_arguments.argv = {READ_KVB, "--help", "-o", "other.csv", "KVB-N00.txt", ""};

  const RunResult result = run(with_arguments);

  EXPECT_TRUE(result.exited(0)) << result.describe();
  EXPECT_EQ("", result.err);
  EXPECT_EQ(console(kRecords), result.out);
  EXPECT_EQ(std::vector<std::string>{"out.csv"}, other_files());
  EXPECT_EQ(small_csv(), read("out.csv"));
}

// No reader on stdout at all (the end of `read-KVB | head -1` taken to the
// extreme): the console writes fail quietly and the CSV is whole.
TEST_F(E2e, BrokenStdoutPipeChangesNothing) {
  put_standard(kRecords);
  RunOptions broken = options();
  broken.stdout_mode = OutMode::kBrokenPipe;

  const RunResult result = run(broken);

  EXPECT_TRUE(result.exited(0)) << result.describe();
  EXPECT_EQ("", result.err);
  EXPECT_EQ(small_csv(), read("out.csv"));
}

// Standard output, standard error, or both, closed when the program starts.
struct ClosedCase {
  std::string label;
  bool stdout_closed;
  bool stderr_closed;
};
const ClosedCase kClosedCases[] = {
    {"stdout closed", true, false},
    {"stderr closed", false, true},
    {"stdout and stderr closed", true, true},
};

// A descriptor 0, 1 or 2 closed at the start must not become a component
// file or the CSV: console lines and reports must never land in them.
TEST_F(E2e, ClosedStandardDescriptorsTouchNoDataFile) {
  for (const ClosedCase& c : kClosedCases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put_standard(kRecords);
    RunOptions closed = options();
    if (c.stdout_closed) closed.stdout_mode = OutMode::kClosed;
    if (c.stderr_closed) closed.stderr_mode = OutMode::kClosed;

    const RunResult result = run(closed);

    EXPECT_TRUE(result.exited(0)) << result.describe();
    EXPECT_EQ(c.stdout_closed ? "" : console(kRecords), result.out);
    EXPECT_EQ("", result.err);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(standard(k, kRecords[static_cast<size_t>(k)]), read(kNames[static_cast<size_t>(k)]));
    EXPECT_EQ(small_csv(), read("out.csv"));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, other_files());
  }
}

// The abortive end writes out buffered console text and the report while
// the third component file is still open: neither may land in it.
TEST_F(E2e, ClosedDescriptorsKeepFatalEndOutOfComponentFile) {
  const std::string bad_up = ComponentFile(kTitles[2]).header().fields({"1.0"}).fields({"2.0", "1.0X"}).bytes();
  for (const ClosedCase& c : kClosedCases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put_standard(kRecords);
    put(2, bad_up);
    RunOptions closed = options();
    if (c.stdout_closed) closed.stdout_mode = OutMode::kClosed;
    if (c.stderr_closed) closed.stderr_mode = OutMode::kClosed;

    const RunResult result = run(closed);

    EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
    EXPECT_EQ(c.stdout_closed ? "" : console(kRecords, kAfterTitle[2]), result.out);
    EXPECT_EQ(c.stderr_closed ? ""
                              : "fmt: read unexpected character\n"
                                "apparent state: unit 11 named KVB-UP.txt\n"
                                "last format: (8E10.4)\n"
                                "lately reading sequential formatted external IO\n",
              result.err);
    EXPECT_EQ(bad_up, read(kNames[2]));
    EXPECT_EQ(standard(0, kRecords[0]), read(kNames[0]));
    EXPECT_EQ(standard(1, kRecords[1]), read(kNames[1]));
  }
}

TEST_F(E2e, ClosedStdinMeetsEndOfInput) {
  put_standard(kRecords);
  RunOptions closed = options();
  closed.stdin_mode = StdinMode::kClosed;

  const RunResult result = run(closed);

  EXPECT_TRUE(result.killed_by(SIGABRT)) << result.describe();
  EXPECT_EQ(
      "fmt: end of file\n"
      "apparent state: unit 5 (unnamed)\n"
      "last format: (a80)\n"
      "lately reading sequential formatted external IO\n",
      result.err);
  EXPECT_EQ(console(kRecords), result.out);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(standard(k, kRecords[static_cast<size_t>(k)]), read(kNames[static_cast<size_t>(k)]));
  EXPECT_EQ(std::vector<std::string>{}, other_files());
}

TEST_F(E2e, RunsCleanUnderMemcheck) {
#ifdef KVB_SANITIZED
  GTEST_SKIP() << "the program is built with AddressSanitizer, which memcheck cannot run";
#endif
  const std::optional<std::string> valgrind = test_support::find_in_path("valgrind");
  if (!valgrind) GTEST_SKIP() << "valgrind is not installed";
  test_support::TempDir logs;
  put_standard(kRecords);
  RunOptions checked = options();
  checked.argv = {*valgrind, "--tool=memcheck", "--error-exitcode=99", "--log-file=" + logs.file("memcheck.log"),
                  READ_KVB_DYNAMIC};
  checked.timeout = std::chrono::seconds(120);

  const RunResult result = run(checked);

  EXPECT_TRUE(result.exited(0)) << result.describe() << "\n" << logs.read("memcheck.log").value_or("");
  EXPECT_EQ("", result.err);
  EXPECT_EQ(console(kRecords), result.out);
  EXPECT_EQ(small_csv(), read("out.csv"));
}

}  // namespace
}  // namespace e2e
