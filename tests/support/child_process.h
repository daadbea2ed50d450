// Runs a program as a child process with chosen standard descriptors, limits,
// signal dispositions and user, and captures its output and its end.
// Output goes to anonymous files (or a pipe read while waiting): no deadlock.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

enum class StdinMode {
  kBytes,   // an anonymous file holding RunOptions::stdin_bytes
  kPipe,    // a pipe the test writes to (and closes) while the child runs
  kClosed,  // descriptor 0 closed when the program starts
};

enum class OutMode {
  kFile,        // an anonymous file, read back at the end ("redirected to a file")
  kPipe,        // a pipe that the test drains while waiting
  kBrokenPipe,  // a pipe whose reading end is already closed: writes get EPIPE
  kClosed,      // the descriptor closed when the program starts
  kFullPipe,    // a pipe already full that nobody reads: writes block
};

struct RunOptions {
  std::vector<std::string> argv;  // argv[0] is the program; searched in PATH
  std::string cwd;
  StdinMode stdin_mode = StdinMode::kBytes;
  std::string stdin_bytes;
  OutMode stdout_mode = OutMode::kFile;
  OutMode stderr_mode = OutMode::kFile;
  std::optional<rlim_t> file_size_limit;  // RLIMIT_FSIZE in bytes
  std::optional<rlim_t> memory_limit;     // RLIMIT_AS in bytes
  std::vector<int> ignored_signals;       // e.g. SIGINT, SIGXFSZ
  std::optional<uid_t> uid;               // setresuid/setresgid, no groups
  std::chrono::milliseconds timeout{30000};
};

struct RunResult {
  std::string out;
  std::string err;
  int exit_status = -1;  // when the child exited
  int term_signal = 0;   // when a signal ended it
  bool timed_out = false;

  bool exited(int status) const { return term_signal == 0 && !timed_out && exit_status == status; }
  bool killed_by(int sig) const { return !timed_out && term_signal == sig; }
  // "exit 0", "signal 6 (Aborted)", "timed out": for failure messages.
  std::string describe() const;
};

// A started child. Core dumps are always off in the child; every other signal
// is set to its default disposition and unblocked, except the ignored ones.
class ChildProcess {
 public:
  explicit ChildProcess(const RunOptions& options);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Only with StdinMode::kPipe.
  void write_stdin(const std::string& bytes);
  void close_stdin();
  // True once the child is blocked in read() on descriptor 0; false when it
  // ended or the time ran out first.
  bool wait_until_reading_stdin(std::chrono::milliseconds limit);
  // True once the child is blocked in system call `number` on descriptor
  // `fd` (any descriptor when fd is -1).
  bool wait_until_in_syscall(long number, int fd, std::chrono::milliseconds limit);
  bool running();
  void send(int sig);
  // Waits for the end (killing the child at the timeout) and collects output.
  RunResult finish();

 private:
  void drain_pipes(int wait_ms);
  bool reap(bool block);

  RunOptions options_;
  pid_t pid_ = -1;
  int stdin_fd_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::string out_;
  std::string err_;
  int wait_status_ = 0;
  bool reaped_ = false;
  bool timed_out_ = false;
  std::chrono::steady_clock::time_point deadline_;
};

// Starts the child, waits for it and returns what it wrote and how it ended.
RunResult run(const RunOptions& options);

// A run of argv[0] with the rest of argv in the folder `cwd`, the bytes on its
// standard input; the test may set more before running it.
RunOptions in_folder(const std::string& cwd, std::vector<std::string> argv, std::string stdin_bytes = "");
// That run, started and waited for.
RunResult run_in(const std::string& cwd, std::vector<std::string> argv, std::string stdin_bytes = "");

// The full path of a program found in PATH, or nothing.
std::optional<std::string> find_in_path(const std::string& name);

// The unprivileged user (nobody) that tests run a program as.
inline constexpr uid_t kNobody = 65534;
// Why a program cannot be run as kNobody in `dir` (not root; a directory on
// the way that the user may not enter), or "" when it can.
std::string cannot_run_as_nobody(const std::string& dir);
// A copy of `program` in `dir`, where any user may run it wherever the
// build tree lies (under /root, say); returns the copy's path.
std::string copy_program(const std::string& program, const std::string& dir);

}  // namespace test_support
