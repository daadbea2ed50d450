#include "child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "temp_dir.h"

namespace test_support {
namespace {

int anonymous_file(const char* name) {
  int fd = memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error(std::string("memfd_create: ") + std::strerror(errno));
  return fd;
}

void write_all(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error(std::string("write: ") + std::strerror(errno));
    done += static_cast<size_t>(n);
  }
}

std::string read_whole_file(int fd) {
  std::string bytes;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    offset += n;
  }
  return bytes;
}

// What the child puts on one of its descriptors 0..2 (-1: leave it closed).
struct Plan {
  int child_fd[3] = {-1, -1, -1};
};

// In the child between fork and exec: only plain system calls, then exec.
[[noreturn]] void exec_child(const RunOptions& options, const Plan& plan, char* const* argv) {
  // Move the chosen descriptors out of the way first, so that none is
  // overwritten by an earlier dup2 onto 0..2.
  int moved[3];
  for (int k = 0; k < 3; ++k) moved[k] = plan.child_fd[k] < 0 ? -1 : fcntl(plan.child_fd[k], F_DUPFD, 10);
  for (int k = 0; k < 3; ++k) {
    if (moved[k] < 0) {
      close(k);
    } else {
      dup2(moved[k], k);
    }
  }
  close_range(3, ~0U, 0);

  for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
  for (int sig : options.ignored_signals) signal(sig, SIG_IGN);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);

  rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  if (options.file_size_limit) {
    rlimit fsize{*options.file_size_limit, *options.file_size_limit};
    setrlimit(RLIMIT_FSIZE, &fsize);
  }
  if (options.memory_limit) {
    rlimit as{*options.memory_limit, *options.memory_limit};
    setrlimit(RLIMIT_AS, &as);
  }
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
  if (options.uid) {
    const uid_t id = *options.uid;
    if (setgroups(0, nullptr) != 0 || setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0) _exit(125);
  }
  execvp(argv[0], argv);
  const char message[] = "child_process: exec failed\n";
  ssize_t ignored = ::write(2, message, sizeof message - 1);
  (void)ignored;
  _exit(127);
}

}  // namespace

std::string RunResult::describe() const {
  std::ostringstream text;
  if (timed_out) {
    text << "timed out";
  } else if (term_signal != 0) {
    text << "signal " << term_signal << " (" << strsignal(term_signal) << ")";
  } else {
    text << "exit " << exit_status;
  }
  return text.str();
}

ChildProcess::ChildProcess(const RunOptions& options) : options_(options) {
  if (options_.argv.empty()) throw std::runtime_error("no program to run");
  Plan plan;
  int child_ends[3] = {-1, -1, -1};  // the child's pipe ends, closed here after the fork

  switch (options_.stdin_mode) {
    case StdinMode::kBytes:
      plan.child_fd[0] = anonymous_file("stdin");
      write_all(plan.child_fd[0], options_.stdin_bytes);
      lseek(plan.child_fd[0], 0, SEEK_SET);
      break;
    case StdinMode::kPipe: {
      int ends[2];
      if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
      plan.child_fd[0] = ends[0];
      stdin_fd_ = ends[1];
      break;
    }
    case StdinMode::kClosed: break;
  }
  const OutMode modes[2] = {options_.stdout_mode, options_.stderr_mode};
  int* keep[2] = {&out_fd_, &err_fd_};
  for (int k = 0; k < 2; ++k) {
    if (modes[k] == OutMode::kFile) {
      plan.child_fd[k + 1] = anonymous_file(k == 0 ? "stdout" : "stderr");
      *keep[k] = plan.child_fd[k + 1];
    } else if (modes[k] == OutMode::kPipe || modes[k] == OutMode::kBrokenPipe || modes[k] == OutMode::kFullPipe) {
      int ends[2];
      if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
      plan.child_fd[k + 1] = ends[1];
      if (modes[k] == OutMode::kPipe) {
        fcntl(ends[0], F_SETFL, O_NONBLOCK);
        *keep[k] = ends[0];
        child_ends[k + 1] = ends[1];
      } else if (modes[k] == OutMode::kFullPipe) {
        fcntl(ends[1], F_SETFL, O_NONBLOCK);
        const std::string block(4096, '.');
        while (::write(ends[1], block.data(), block.size()) > 0) {}
        fcntl(ends[1], F_SETFL, 0);
        *keep[k] = ends[0];  // held open and never read
        child_ends[k + 1] = ends[1];
      } else {
        close(ends[0]);  // nobody will ever read
        child_ends[k + 1] = ends[1];
      }
    }
  }

  std::vector<char*> argv;
  for (const std::string& arg : options_.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  deadline_ = std::chrono::steady_clock::now() + options_.timeout;
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) exec_child(options_, plan, argv.data());

  // The child's ends of pipes and the stdin file are not ours to keep.
  if (plan.child_fd[0] >= 0) close(plan.child_fd[0]);
  for (int k = 1; k < 3; ++k) {
    if (child_ends[k] >= 0) close(child_ends[k]);
  }
}

ChildProcess::~ChildProcess() {
  if (!reaped_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &wait_status_, 0);
  }
  for (int fd : {stdin_fd_, out_fd_, err_fd_}) {
    if (fd >= 0) close(fd);
  }
}

void ChildProcess::write_stdin(const std::string& bytes) {
  if (stdin_fd_ < 0) throw std::runtime_error("stdin is not an open pipe");
  write_all(stdin_fd_, bytes);
}

void ChildProcess::close_stdin() {
  if (stdin_fd_ >= 0) close(stdin_fd_);
  stdin_fd_ = -1;
}

void ChildProcess::send(int sig) { kill(pid_, sig); }

void ChildProcess::drain_pipes(int wait_ms) {
  pollfd fds[2];
  std::string* sinks[2];
  nfds_t count = 0;
  if (options_.stdout_mode == OutMode::kPipe && out_fd_ >= 0) {
    fds[count] = {out_fd_, POLLIN, 0};
    sinks[count++] = &out_;
  }
  if (options_.stderr_mode == OutMode::kPipe && err_fd_ >= 0) {
    fds[count] = {err_fd_, POLLIN, 0};
    sinks[count++] = &err_;
  }
  if (count == 0) {
    if (wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
    return;
  }
  if (poll(fds, count, wait_ms) <= 0) return;
  char buffer[65536];
  for (nfds_t k = 0; k < count; ++k) {
    for (;;) {
      ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n <= 0) break;
      sinks[k]->append(buffer, static_cast<size_t>(n));
    }
  }
}

bool ChildProcess::reap(bool block) {
  if (reaped_) return true;
  pid_t done = waitpid(pid_, &wait_status_, block ? 0 : WNOHANG);
  if (done == pid_) reaped_ = true;
  return reaped_;
}

bool ChildProcess::running() { return !reap(false); }

bool ChildProcess::wait_until_reading_stdin(std::chrono::milliseconds limit) {
  return wait_until_in_syscall(SYS_read, 0, limit);
}

bool ChildProcess::wait_until_in_syscall(long number, int fd, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  std::ostringstream prefix;
  prefix << number << ' ';
  if (fd >= 0) prefix << "0x" << std::hex << fd << ' ';
  const std::string wanted = prefix.str();
  const std::string path = "/proc/" + std::to_string(pid_) + "/syscall";
  while (std::chrono::steady_clock::now() < until) {
    if (reap(false)) return false;
    std::optional<std::string> syscall = read_file(path);
    if (syscall && syscall->compare(0, wanted.size(), wanted) == 0) return true;
    drain_pipes(5);
  }
  return false;
}

RunResult ChildProcess::finish() {
  while (!reap(false)) {
    if (std::chrono::steady_clock::now() > deadline_) {
      kill(pid_, SIGKILL);
      timed_out_ = true;
      reap(true);
      break;
    }
    drain_pipes(10);
  }
  // Whatever is left in the pipes: the writers are gone, so this ends.
  for (int k = 0; k < 2; ++k) {
    OutMode mode = k == 0 ? options_.stdout_mode : options_.stderr_mode;
    int fd = k == 0 ? out_fd_ : err_fd_;
    std::string& sink = k == 0 ? out_ : err_;
    if (fd < 0) continue;
    if (mode == OutMode::kFile) {
      sink = read_whole_file(fd);
    } else if (mode == OutMode::kPipe) {
      fcntl(fd, F_SETFL, 0);
      char buffer[65536];
      for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sink.append(buffer, static_cast<size_t>(n));
      }
    }
  }
  RunResult result;
  result.out = out_;
  result.err = err_;
  result.timed_out = timed_out_;
  if (WIFEXITED(wait_status_)) result.exit_status = WEXITSTATUS(wait_status_);
  if (WIFSIGNALED(wait_status_)) result.term_signal = WTERMSIG(wait_status_);
  return result;
}

RunResult run(const RunOptions& options) {
  ChildProcess child(options);
  return child.finish();
}

RunOptions in_folder(const std::string& cwd, std::vector<std::string> argv, std::string stdin_bytes) {
  RunOptions options;
  options.argv = std::move(argv);
  options.cwd = cwd;
  options.stdin_bytes = std::move(stdin_bytes);
  return options;
}

RunResult run_in(const std::string& cwd, std::vector<std::string> argv, std::string stdin_bytes) {
  return run(in_folder(cwd, std::move(argv), std::move(stdin_bytes)));
}

std::optional<std::string> find_in_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

std::string cannot_run_as_nobody(const std::string& dir) {
  if (geteuid() != 0) return "needs root to run a program as uid " + std::to_string(kNobody);
  for (std::filesystem::path p = dir; p != p.root_path(); p = p.parent_path()) {
    struct stat info;
    if (stat(p.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) {
      return "uid " + std::to_string(kNobody) + " cannot enter " + p.string();
    }
  }
  return "";
}

std::string copy_program(const std::string& program, const std::string& dir) {
  const std::filesystem::path copy = std::filesystem::path(dir) / std::filesystem::path(program).filename();
  std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
  chmod(copy.c_str(), 0755);
  return copy.string();
}

}  // namespace test_support
