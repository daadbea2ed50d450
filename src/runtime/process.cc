// The process: start-up, the four signal reports, STOP and the exit ends.
#include "process.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "fatal.h"
#include "io.h"
#include "unit.h"

namespace kvb {
namespace {

void write_stderr(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

void on_signal(int signal) {
  switch (signal) {
    case SIGFPE: write_stderr("Floating Exception\n"); abortive_end();
    case SIGABRT: write_stderr("IOT Trap\n"); abortive_end();
    case SIGINT: write_stderr("Interrupt\n"); std::exit(1);
    default: write_stderr("Killed\n"); std::exit(1);
  }
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
  std::signal(SIGFPE, on_signal);
  std::signal(SIGABRT, on_signal);
  // A process started with interrupts ignored goes on ignoring them.
  if (std::signal(SIGINT, on_signal) == SIG_IGN) std::signal(SIGINT, SIG_IGN);
  std::signal(SIGTERM, on_signal);
  // A closed pipe on standard output is a silent write failure, not a death.
  std::signal(SIGPIPE, SIG_IGN);
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
