// The process around the run: signals while waiting for the output name,
// while writing the CSV and while the closing is blocked, arguments, a
// broken stdout pipe, closed standard descriptors, a FIFO component file,
// memory that runs out, memcheck.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
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

// The four reports end with status 1 and no CSV; SIGQUIT keeps its default.
TEST_F(E2e, SignalWhileWaitingForName) {
  struct Case {
    std::string err;
    int sig;
  };
  for (const Case& c :
       {Case{"Interrupt\n", SIGINT}, Case{"Killed\n", SIGTERM}, Case{"Hangup\n", SIGHUP}, Case{"", SIGQUIT}}) {
    SCOPED_TRACE(strsignal(c.sig));
    clear_dir();
    put_standard(kRecords);
    RunOptions waiting = options();
    waiting.stdin_mode = StdinMode::kPipe;
    ChildProcess child(waiting);
    ASSERT_TRUE(child.wait_until_reading_stdin(kStartLimit)) << "never waited for the output name";

    child.send(c.sig);
    const RunResult result = child.finish();

    EXPECT_TRUE(c.sig == SIGQUIT ? result.killed_by(SIGQUIT) : result.exited(1)) << result.describe();
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(c.sig == SIGQUIT ? "" : console(kRecords), result.out);  // no closing writes it out
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

// Started with interrupts or hangups ignored (nohup), the run ignores them.
TEST_F(E2e, IgnoredInterruptStaysIgnored) {
  for (int sig : {SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    clear_dir();
    put_standard(kRecords);
    RunOptions waiting = options();
    waiting.stdin_mode = StdinMode::kPipe;
    waiting.ignored_signals = {sig};
    ChildProcess child(waiting);
    ASSERT_TRUE(child.wait_until_reading_stdin(kStartLimit)) << "never waited for the output name";

    child.send(sig);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(child.wait_until_reading_stdin(std::chrono::milliseconds(500))) << "stopped waiting after the signal";
    child.write_stdin("out.csv\n");
    child.close_stdin();
    const RunResult result = child.finish();

    EXPECT_TRUE(result.exited(0)) << result.describe();
    EXPECT_EQ("", result.err);
    EXPECT_EQ(console(kRecords), result.out);
    EXPECT_EQ(small_csv(), read("out.csv"));
  }
}

// The descriptor (below 16) on which the child holds `path` open, or -1.
int descriptor_of(pid_t pid, const std::string& path) {
  const std::string dir = "/proc/" + std::to_string(pid) + "/fd/";
  for (int fd = 0; fd < 16; ++fd) {
    char link[4096];
    ssize_t n = ::readlink((dir + std::to_string(fd)).c_str(), link, sizeof link);
    if (n > 0 && path == std::string_view(link, static_cast<size_t>(n))) return fd;
  }
  return -1;
}

// Stops the child (SIGSTOP) as soon as the file at `path` has taken bytes
// from it. False when the child closed the file or ended first.
bool stop_while_writing(ChildProcess& child, const std::string& path) {
  const std::string fdinfo = "/proc/" + std::to_string(child.pid()) + "/fdinfo/";
  while (child.running()) {
    int fd = descriptor_of(child.pid(), path);
    if (fd < 0) continue;
    std::optional<std::string> info = test_support::read_file(fdinfo + std::to_string(fd));
    if (!info || info->compare(0, 5, "pos:\t") != 0 || std::stol(info->substr(5)) == 0) continue;
    child.send(SIGSTOP);
    return descriptor_of(child.pid(), path) == fd;
  }
  return false;
}

// True once no signal waits to be delivered to the child.
bool signals_delivered(pid_t pid) {
  const auto until = std::chrono::steady_clock::now() + kStartLimit;
  while (std::chrono::steady_clock::now() < until) {
    std::optional<std::string> status = test_support::read_file("/proc/" + std::to_string(pid) + "/status");
    if (status && status->find("\nSigPnd:\t0000000000000000\n") != std::string::npos &&
        status->find("\nShdPnd:\t0000000000000000\n") != std::string::npos)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// A signal that ends the run while the CSV is written over a longer file:
// the report, status 1, and the file cut after the lines written so far.
TEST_F(E2e, SignalWhileWritingCutsTheCsv) {
  const std::array<int, 3> records = {2, 2, layout::kBufferSamples / layout::kFieldsPerRecord};
  const std::string csv =
      csv_from_milli(samples(0, 16), samples(1, 16), samples(2, layout::kBufferSamples), layout::kRealSamples);
  struct Case {
    std::string err;
    int sig;
  };
  for (const Case& c : {Case{"Interrupt\n", SIGINT}, Case{"Killed\n", SIGTERM}, Case{"Hangup\n", SIGHUP}}) {
    SCOPED_TRACE(strsignal(c.sig));
    bool caught = false;
    // The CSV takes a millisecond or two to write: on a busy machine many
    // runs may end before the poll sees the file's position move.
    for (int attempt = 0; attempt < 200 && !caught; ++attempt) {
      clear_dir();
      put_standard(records);
      dir_.write("out.csv", std::string(csv.size() + 4096, '#'));
      ChildProcess child(options());
      if (!stop_while_writing(child, dir_.file("out.csv"))) continue;  // it was done first: try again
      caught = true;
      child.send(c.sig);
      child.send(SIGCONT);
      const RunResult result = child.finish();

      EXPECT_TRUE(result.exited(1)) << result.describe();
      EXPECT_EQ(c.err, result.err);
      EXPECT_EQ(console(records), result.out);
      const std::string left = read("out.csv");
      EXPECT_EQ(0u, left.size() % kCsvLineBytes);
      EXPECT_EQ(csv.substr(0, left.size()), left) << left.size() << " bytes left";
    }
    EXPECT_TRUE(caught) << "never stopped the run while it wrote the CSV";
  }
}

// A run blocked in a write that never ends: the CSV is a FIFO that nobody
// reads, or standard output a full pipe that the closing must write out.
// The first signal gives its report; when the closing blocks in its turn,
// a second one ends the process at once, with the status the first gives.
TEST_F(E2e, SignalsEndABlockedRun) {
  struct Case {
    std::string err;
    int first;
    int second;  // 0: the first must be enough
    bool csv_fifo;
  };
  for (const Case& c : {Case{"Killed\n", SIGTERM, 0, true}, Case{"Interrupt\n", SIGINT, 0, true},
                        Case{"Killed\n", SIGTERM, SIGTERM, false}, Case{"Interrupt\n", SIGINT, SIGINT, false},
                        Case{"Hangup\n", SIGHUP, SIGTERM, false}}) {
    SCOPED_TRACE(c.err + (c.csv_fifo ? "CSV a FIFO" : "stdout full"));
    clear_dir();
    RunOptions blocked = options();
    blocked.timeout = std::chrono::seconds(10);
    int fd = STDOUT_FILENO;
    if (c.csv_fifo) {
      put_standard({2, 2, 1000});  // 7992 lines: more than the pipe and the buffer hold
      ASSERT_EQ(0, ::mkfifo(dir_.file("out.csv").c_str(), 0644));
      fd = -1;
    } else {
      put_standard(kRecords);
      blocked.stdout_mode = OutMode::kFullPipe;
    }
    ChildProcess child(blocked);
    ASSERT_TRUE(child.wait_until_in_syscall(SYS_write, fd, kStartLimit)) << "the write never blocked";

    child.send(c.first);
    if (c.second) {
      ASSERT_TRUE(signals_delivered(child.pid()));
      ASSERT_TRUE(child.wait_until_in_syscall(SYS_write, fd, kStartLimit)) << "the closing never blocked";
      child.send(c.second);
    }
    const RunResult result = child.finish();

    EXPECT_TRUE(result.exited(1)) << result.describe();
    EXPECT_EQ(c.err, result.err);
  }
}

// A component file that is a FIFO is read until its writer closes it.
TEST_F(E2e, FifoComponentEndsWithItsWriter) {
  put_standard(kRecords);
  const std::string fifo = dir_.file(kNames[1]);
  std::filesystem::remove(fifo);
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
  RunOptions reading = options();
  reading.timeout = std::chrono::seconds(10);
  ChildProcess child(reading);

  // Opened without blocking, so only once the program has it open to read.
  int fd = -1;
  const auto until = std::chrono::steady_clock::now() + kStartLimit;
  while (fd < 0 && child.running() && std::chrono::steady_clock::now() < until) {
    fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_LE(0, fd) << "the program never opened the FIFO";
  ::fcntl(fd, F_SETFL, 0);
  const std::string bytes = standard(1, kRecords[1]);
  EXPECT_EQ(static_cast<ssize_t>(bytes.size()), ::write(fd, bytes.data(), bytes.size()));
  ::close(fd);
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
  with_arguments.argv = {READ_KVB, "--help", "-o", "other.csv", kNames[0], ""};

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
