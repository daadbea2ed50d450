// kvb-split where the world gets in the way: interrupts, file size limits,
// standard output that cannot be written, a directory in the way of --force,
// a kill in the middle of placing. The input is often a FIFO that the test
// feeds, so that the run stops where the test wants it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "component_layout.h"
#include "generators/csmip.h"
#include "temp_dir.h"

namespace {

using namespace kvb_test;
using test_support::ChildProcess;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

// The set a run places: the three component files and the record file.
const std::vector<std::string> kSet = {layout::kNames[0], layout::kNames[1], layout::kNames[2], "KVB-full.csv",
                                       "KVB-record.json"};

std::string record(int points) {
  return volume_file({{1, "360 Deg", samples(points, 1, 100000000)},
                      {2, "90 Deg", samples(points, 2, 100000000)},
                      {3, "Up", samples(points, 3, 100000000)}},
                     GenOptions{});
}

RunOptions split_options(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KVB_SPLIT);
  return test_support::in_folder(dir.path(), std::move(args));
}

bool settles(const std::function<bool()>& done) {
  for (int k = 0; k < 1000; ++k) {
    if (done()) return true;
    usleep(10000);
  }
  return false;
}

// The writing end of a FIFO, opened once the child has opened it for reading
// (retrying a non-blocking open, which fails while there is no reader).
int fifo_writer(const std::string& fifo, ChildProcess& child) {
  signal(SIGPIPE, SIG_IGN);  // a child that ended early is a failure, not the test's death
  int fd = -1;
  settles([&] {
    fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    return fd >= 0 || !child.running();
  });
  if (fd >= 0) fcntl(fd, F_SETFL, 0);
  return fd;
}

void write_all(int fd, const std::string& bytes) {
  ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(fd, bytes.data(), bytes.size()));
}

// True while the child waits in system call nr.
bool in_syscall(pid_t pid, long nr) {
  auto text = test_support::read_file("/proc/" + std::to_string(pid) + "/syscall");
  return text && text->compare(0, std::to_string(nr).size() + 1, std::to_string(nr) + " ") == 0;
}

bool places_a_file(unsigned long long nr) {
  for (long call : {
           SYS_linkat,
           SYS_renameat,
           SYS_renameat2,
#ifdef SYS_link
           SYS_link,
           SYS_rename,
#endif
       }) {
    if (nr == static_cast<unsigned long long>(call)) return true;
  }
  return false;
}

long trace(__ptrace_request request, pid_t pid, unsigned long addr, void* data) {
  return ptrace(request, pid, reinterpret_cast<void*>(addr), data);
}

// Makes the test the child's tracer and stops it. From then on the child
// must not end while traced: waiting for the tracee would reap it.
bool seize(pid_t pid) {
  int status = 0;
  return trace(PTRACE_SEIZE, pid, 0, reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD)) == 0 &&
         trace(PTRACE_INTERRUPT, pid, 0, nullptr) == 0 && waitpid(pid, &status, 0) == pid;
}

// Lets the seized child run up to the entry of its nth system call from now
// that links or renames a file, where it stays stopped.
bool run_to_placing_call(pid_t pid, int nth) {
  for (int seen = 0;;) {
    int status = 0;
    if (trace(PTRACE_SYSCALL, pid, 0, nullptr) != 0 || waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status))
      return false;
    __ptrace_syscall_info info{};
    if (WSTOPSIG(status) == (SIGTRAP | 0x80) && trace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0 &&
        info.op == PTRACE_SYSCALL_INFO_ENTRY && places_a_file(info.entry.nr) && ++seen == nth)
      return true;
  }
}

TEST(KvbSplitHostile, FailuresToWriteLeaveNoFile) {
  TempDir dir;
  dir.write("rec.v2", record(800));
  struct Case {
    const char* what;
    std::function<void(RunOptions&)> setup;
    std::string err;
  };
  const std::string no_place = "; no component file was placed\n";
  for (const Case& c : std::vector<Case>{
           // SIGXFSZ at its default: the limit must be a reported write error.
           {"ulimit -f", [](RunOptions& o) { o.file_size_limit = 4096; },
            "kvb-split: writing the component file for rec.v2: File too large\n"},
           {"stdout closed", [](RunOptions& o) { o.stdout_mode = test_support::OutMode::kClosed; },
            "kvb-split: standard output: Bad file descriptor" + no_place},
           {"stdout a closed pipe", [](RunOptions& o) { o.stdout_mode = test_support::OutMode::kBrokenPipe; },
            "kvb-split: standard output: Broken pipe" + no_place},
           {"stdout full",
            [](RunOptions& o) {
              o.argv.insert(o.argv.begin(), {"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full"});
            },
            "kvb-split: standard output: No space left on device" + no_place},
       }) {
    RunOptions o = split_options(dir, {"-o", "out", "rec.v2"});
    c.setup(o);
    RunResult r = test_support::run(o);
    EXPECT_TRUE(r.exited(1)) << c.what << ": " << r.describe();
    EXPECT_EQ(c.err, r.err) << c.what;
    EXPECT_EQ(std::vector<std::string>{"rec.v2"}, dir.list()) << c.what;
  }
}

TEST(KvbSplitHostile, AnInterruptWhileReadingRemovesEverythingAndEndsTheRun) {
  const std::string bytes = record(40);
  struct Case {
    int sig;
    bool started;
  };  // started: all but the end of the input read
  for (const Case& c : std::vector<Case>{{SIGINT, false}, {SIGTERM, true}, {SIGHUP, true}, {SIGQUIT, true}}) {
    TempDir dir;
    ASSERT_EQ(0, mkfifo(dir.file("rec.v2").c_str(), 0644));
    ChildProcess child(split_options(dir, {"-o", "out", "rec.v2"}));
    int fd = -1;
    if (c.started) {
      fd = fifo_writer(dir.file("rec.v2"), child);
      ASSERT_GE(fd, 0);
      write_all(fd, bytes.substr(0, bytes.size() - 100));  // the writer stays open
      // Waiting for more, with all three component files begun.
      ASSERT_TRUE(settles([&] { return in_syscall(child.pid(), SYS_read); })) << c.sig;
    } else {  // no writer: the child waits in the open of its input
      ASSERT_TRUE(
          settles([&] { return std::filesystem::exists(dir.file("out")) && in_syscall(child.pid(), SYS_openat); }));
    }
    child.send(c.sig);
    RunResult r = child.finish();
    if (fd >= 0) close(fd);
    EXPECT_TRUE(r.killed_by(c.sig)) << c.sig << ": " << r.describe();
    EXPECT_EQ(std::vector<std::string>{"rec.v2"}, dir.list()) << c.sig;
  }
}

// A FIFO input that the child has opened, the test holding its writing end.
struct FifoRun {
  TempDir& dir;
  ChildProcess child;
  int fd;
  FifoRun(TempDir& d, std::vector<std::string> args)
      : dir(d),
        child((mkfifo(d.file("rec.v2").c_str(), 0644), split_options(d, std::move(args)))),
        fd(fifo_writer(d.file("rec.v2"), child)) {}
  ~FifoRun() {
    if (fd >= 0) close(fd);
  }
  void feed(const std::string& bytes) {
    write_all(fd, bytes);
    close(fd);
    fd = -1;
  }
};

TEST(KvbSplitHostile, AnInterruptWhilePlacingWaitsUntilAllThreeAreInPlace) {
  TempDir dir;
  FifoRun run(dir, {"-o", "out", "rec.v2"});
  ASSERT_GE(run.fd, 0);
  const pid_t pid = run.child.pid();
  ASSERT_TRUE(seize(pid));
  run.feed(record(40));
  ASSERT_TRUE(run_to_placing_call(pid, 1));
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(0, trace(PTRACE_CONT, pid, 0, nullptr));
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  ASSERT_TRUE(WIFSTOPPED(status) && WSTOPSIG(status) == SIGTERM) << status;
  EXPECT_EQ(kSet, dir.list("out")) << "when the interrupt is let through";
  trace(PTRACE_DETACH, pid, 0, reinterpret_cast<void*>(SIGTERM));
  RunResult r = run.child.finish();
  EXPECT_TRUE(r.killed_by(SIGTERM)) << r.describe();
  EXPECT_EQ(kSet, dir.list("out"));
}

// An old set in out/, each file saying its name.
void old_set(TempDir& dir) {
  std::filesystem::create_directory(dir.file("out"));
  for (const std::string& name : kSet) dir.write("out/" + name, "old " + name + "\n");
}

TEST(KvbSplitHostile, ForceKeepsTheOldSetWhenADirectoryIsInTheWay) {
  const std::string bytes = record(40);
  for (bool appears_while_reading : {false, true}) {
    TempDir dir;
    old_set(dir);
    std::filesystem::remove(dir.file("out/" + kSet[1]));
    if (!appears_while_reading) std::filesystem::create_directory(dir.file("out/" + kSet[1]));
    FifoRun run(dir, {"--force", "-o", "out", "rec.v2"});
    // A directory there from the start stops the run before it reads.
    ASSERT_EQ(appears_while_reading, run.fd >= 0);
    if (appears_while_reading) {
      // The child has looked at the names: the old KVB-N00.txt is then moved
      // aside before the directory is met, and must come back.
      std::filesystem::create_directory(dir.file("out/" + kSet[1]));
      run.feed(bytes);
    }
    RunResult r = run.child.finish();
    EXPECT_TRUE(r.exited(1)) << r.describe();
    EXPECT_EQ("kvb-split: out/KVB-N90.txt is a directory; --force replaces only files\n", r.err);
    EXPECT_EQ(appears_while_reading ? 3 : 0, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
    EXPECT_EQ(kSet, dir.list("out"));
    EXPECT_EQ("old " + kSet[0] + "\n", dir.read("out/" + kSet[0]));
    EXPECT_EQ("old " + kSet[2] + "\n", dir.read("out/" + kSet[2]));
  }
}

// Whenever the run dies while it replaces a set (a kill, a crash), the names
// never hold old and new files together, and every old file is still there,
// under its name or a backup name.
TEST(KvbSplitHostile, AKillWhileForcingNeverMixesOldAndNewFiles) {
  const std::string bytes = record(40);
  const int calls = 2 * static_cast<int>(kSet.size());  // each old file moved aside, each new one linked in
  for (int nth = 1; nth <= calls; ++nth) {
    TempDir dir;
    old_set(dir);
    FifoRun run(dir, {"--force", "-o", "out", "rec.v2"});
    ASSERT_GE(run.fd, 0);
    ASSERT_TRUE(seize(run.child.pid()));
    run.feed(bytes);
    ASSERT_TRUE(run_to_placing_call(run.child.pid(), nth)) << nth;
    kill(run.child.pid(), SIGKILL);
    EXPECT_TRUE(run.child.finish().killed_by(SIGKILL));
    int old_files = 0, new_files = 0;
    std::vector<std::string> kept;
    for (const std::string& name : dir.list("out")) {
      std::string text = dir.read("out/" + name).value_or("");
      if (text.compare(0, 4, "old ") == 0) {
        kept.push_back(text);
        if (name.compare(0, 4, "KVB-") == 0) ++old_files;
      } else if (name.compare(0, 4, "KVB-") == 0) {
        ++new_files;
      }
    }
    EXPECT_TRUE(old_files == 0 || new_files == 0) << nth << ": " << old_files << " old, " << new_files << " new";
    std::vector<std::string> old;
    for (const std::string& name : kSet) old.push_back("old " + name + "\n");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(old, kept) << nth;
  }
}

// The set in dir/sub, file by file.
std::vector<std::string> set_in(const TempDir& dir, const std::string& sub) {
  std::vector<std::string> files;
  for (const std::string& name : kSet) files.push_back(dir.read(sub + "/" + name).value_or("(missing)"));
  return files;
}

// Inputs rec<k>.v2 of records of their own, each split alone into ref<k>/:
// the sets that runs of them into one directory must leave whole.
std::vector<std::vector<std::string>> own_sets(TempDir& dir, int runs) {
  std::vector<std::vector<std::string>> sets;
  for (int k = 0; k < runs; ++k) {
    const std::string input = "rec" + std::to_string(k) + ".v2", ref = "ref" + std::to_string(k);
    dir.write(input, record(20 + k));
    EXPECT_TRUE(test_support::run(split_options(dir, {"-o", ref, input})).exited(0)) << k;
    sets.push_back(set_in(dir, ref));
  }
  return sets;
}

// A run that must place its set waits while another holds the directory's
// lock; then, with another set in place, --force replaces it whole and a run
// without it leaves it alone.
TEST(KvbSplitHostile, ARunWaitsForTheDirectoryLockToPlaceItsSet) {
  for (bool force : {true, false}) {
    TempDir dir;
    const std::vector<std::string> own = own_sets(dir, 1)[0];
    std::filesystem::create_directory(dir.file("out"));
    const int held = open(dir.file("out").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(0, flock(held, LOCK_EX));
    ChildProcess child(split_options(dir, force ? std::vector<std::string>{"--force", "-o", "out", "rec0.v2"}
                                                : std::vector<std::string>{"-o", "out", "rec0.v2"}));
    EXPECT_TRUE(child.wait_until_in_syscall(SYS_flock, -1, std::chrono::seconds(10))) << force;
    EXPECT_EQ(kSet.size(), dir.list("out").size()) << "only the run's temporary files while it waits";
    old_set(dir);  // what another run placed meanwhile
    close(held);
    RunResult r = child.finish();
    EXPECT_EQ(kSet, dir.list("out")) << force;
    if (force) {
      EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
      EXPECT_EQ(own, set_in(dir, "out"));
    } else {
      EXPECT_TRUE(r.exited(1)) << r.describe();
      EXPECT_EQ("kvb-split: out/KVB-N00.txt exists; use --force to replace it\n", r.err);
      EXPECT_EQ("old " + kSet[2] + "\n", dir.read("out/" + kSet[2]));
    }
  }
}

// Two --force runs: the first stopped at its first placing step, holding the
// lock; the second waits for it, then replaces the first one's set whole.
TEST(KvbSplitHostile, ASecondForcedRunWaitsUntilTheFirstHasPlacedItsSet) {
  TempDir dir;
  const auto sets = own_sets(dir, 2);
  old_set(dir);
  FifoRun first(dir, {"--force", "-o", "out", "rec.v2"});
  ASSERT_GE(first.fd, 0);
  ASSERT_TRUE(seize(first.child.pid()));
  first.feed(record(20));
  ASSERT_TRUE(run_to_placing_call(first.child.pid(), 1));
  ChildProcess second(split_options(dir, {"--force", "-o", "out", "rec1.v2"}));
  EXPECT_TRUE(second.wait_until_in_syscall(SYS_flock, -1, std::chrono::seconds(10)));
  trace(PTRACE_DETACH, first.child.pid(), 0, nullptr);
  RunResult r = first.child.finish();
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  r = second.finish();
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ(kSet, dir.list("out"));
  EXPECT_EQ(sets[1], set_in(dir, "out"));
}

// Many runs at once into one fresh directory, each of a record of its own:
// what is left is one whole set, of a run that said it succeeded. With
// --force every run succeeds; without, one does and the others say why not.
TEST(KvbSplitHostile, ManyRunsAtOnceLeaveOneWholeSet) {
  constexpr int kRuns = 50;
  TempDir dir;
  const auto sets = own_sets(dir, kRuns);
  for (bool force : {true, false}) {
    const std::string out = force ? "forced" : "unforced";
    std::vector<std::unique_ptr<ChildProcess>> runs;
    for (int k = 0; k < kRuns; ++k) {
      std::vector<std::string> args = {"-o", out, "rec" + std::to_string(k) + ".v2"};
      if (force) args.insert(args.begin(), "--force");
      runs.push_back(std::make_unique<ChildProcess>(split_options(dir, args)));
    }
    std::vector<int> succeeded;
    for (int k = 0; k < kRuns; ++k) {
      RunResult r = runs[static_cast<std::size_t>(k)]->finish();
      if (r.exited(0)) {
        succeeded.push_back(k);
      } else {
        EXPECT_FALSE(force) << k << ": " << r.describe() << r.err;
        EXPECT_TRUE(r.exited(1) && r.err.find(" exists; use --force to replace it\n") != std::string::npos)
            << k << ": " << r.describe() << r.err;
      }
    }
    EXPECT_EQ(kSet, dir.list(out)) << out;
    const auto left = std::find(sets.begin(), sets.end(), set_in(dir, out));
    ASSERT_NE(sets.end(), left) << out << ": a mixed set";
    EXPECT_NE(succeeded.end(), std::find(succeeded.begin(), succeeded.end(), left - sets.begin())) << out;
    EXPECT_EQ(force ? std::size_t{kRuns} : 1u, succeeded.size()) << out;
  }
}

// Names holding control bytes reach the terminal escaped: the output
// directory's in every message about it, and the inputs'.
TEST(KvbSplitHostile, NamesWithControlBytesAreEscapedInMessages) {
  TempDir dir;
  dir.write("rec.v2", record(20));
  dir.write("o\x1b[2J", "a file\n");
  std::filesystem::create_directory(dir.file("d\xc2\x9b"));
  dir.write(std::string("d\xc2\x9b/") + layout::kNames[0], "kept\n");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"-o", "o\x1b[2J", "rec.v2"}, "kvb-split: o\\x1b[2J: not a directory\n"},
           {{"-o", "d\xc2\x9b", "rec.v2"}, "kvb-split: d\\xc2\\x9b/KVB-N00.txt exists; use --force to replace it\n"},
           {{"-o", "n\x9b/new", "rec.v2"}, "kvb-split: n\\x9b/new: No such file or directory\n"},
           {{"r\x07.v2"}, "kvb-split: r\\x07.v2: No such file or directory\n"},
       }) {
    RunResult r = test_support::run(split_options(dir, c.args));
    EXPECT_TRUE(r.exited(1)) << r.describe();
    EXPECT_EQ(c.err, r.err);
  }
}

}  // namespace
