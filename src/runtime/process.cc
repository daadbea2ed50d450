// The process: start-up, the signal reports, STOP and the exit ends.
#include "process.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>

#include "fatal.h"
#include "io.h"
#include "unit.h"

namespace kvb {
namespace {

void write_stderr(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

// Set by the first signal that ends the process with status 1.
volatile std::sig_atomic_t exit_end_started = 0;

// A signal that comes while the process is already ending (its closing may
// be blocked, on a FIFO nobody reads for instance) ends it at once, as the
// end already under way would: status 1, or the death by SIGABRT of the
// abortive end. Only async-signal-safe calls from here on.
[[noreturn]] void end_at_once() {
  if (in_abortive_end()) {
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
  }
  ::_exit(1);
}

void say(std::string_view text) {
  ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());  // a failure is silent
  (void)ignored;
}

void on_signal(int signal) {
  if (exit_end_started || in_abortive_end()) end_at_once();
  switch (signal) {
    case SIGFPE: say("Floating Exception\n"); abortive_end();
    case SIGABRT: say("IOT Trap\n"); abortive_end();
    default: break;
  }
  exit_end_started = 1;
  switch (signal) {
    case SIGINT: say("Interrupt\n"); break;
    case SIGHUP: say("Hangup\n"); break;
    default: say("Killed\n"); break;
  }
  std::exit(1);
}

// Every handler may be entered again while it runs (a second signal must
// reach it), and interrupted calls go on where the signal is ignored.
// A process started with the signal ignored goes on ignoring it when
// `keep_ignored` (interrupts, and hangups under nohup).
void install(int signal, bool keep_ignored = false) {
  struct sigaction action {};
  struct sigaction old {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_NODEFER;
  if (keep_ignored && ::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
  ::sigaction(signal, &action, nullptr);
}

// A standard descriptor that is closed would be taken by the next file
// opened, and console lines or a report would land in a data file.
void open_missing_standard_descriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
}

void install_signal_reports() {
  install(SIGFPE);
  install(SIGABRT);
  install(SIGINT, true);
  install(SIGTERM);
  // A closed terminal ends the run as an interrupt does: the report, the
  // closing that cuts a written file, status 1.
  install(SIGHUP, true);
  // A closed pipe on standard output is a silent write failure, not a death,
  // and a file size limit is a write failure that the close reports.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace

void run_program(int, char**, void (*main_routine)()) {
  std::set_new_handler(out_of_memory);
  open_missing_standard_descriptors();
  install_signal_reports();
  connect_standard_units();
  set_exit_closing(exit_time_closing);
  std::atexit(exit_time_closing);
  main_routine();
  std::exit(0);
}

}  // namespace kvb

void s_stop(std::string_view text) {
  if (!text.empty()) {
    kvb::write_stderr("STOP ");
    kvb::write_stderr(text);
    kvb::write_stderr(" statement executed\n");
  }
  std::exit(0);
}

void stop_with_error(std::string_view message) {
  kvb::write_stderr(message);
  kvb::write_stderr("\n");
  std::exit(1);
}
