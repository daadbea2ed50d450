#include "writers/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace kvb {

struct InterruptRemoval {
  std::string path;
  bool directory = false;
  std::atomic<bool> live{true};
  InterruptRemoval* next = nullptr;
};

namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A list the handler can walk at any moment: an entry is complete before it
// becomes the head, and it is never unlinked or freed, only marked dead (a run
// registers a few paths per input channel).
std::atomic<InterruptRemoval*> removals{nullptr};

sigset_t interrupt_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kInterrupts) sigaddset(&set, sig);
  return set;
}

// Only async-signal-safe calls. The handler was reset to the default on
// entry and the signal stays blocked until it returns; the one raised here
// then ends the process.
void on_interrupt(int sig) {
  for (InterruptRemoval* r = removals.load(); r; r = r->next) {
    if (!r->live.load()) continue;
    if (r->directory) {
      rmdir(r->path.c_str());
    } else {
      unlink(r->path.c_str());
    }
  }
  raise(sig);
}

}  // namespace

void setup_signals() {
  // Going up from 0, the lowest free descriptor is the one being filled.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF && open("/dev/null", O_RDONLY) != fd) break;
  }
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  action.sa_mask = interrupt_set();
  action.sa_flags = static_cast<int>(SA_RESETHAND);
  for (int sig : kInterrupts) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(sig, &action, nullptr);
  }
}

InterruptRemoval* remove_on_interrupt(const std::string& path, bool directory) {
  auto* removal = new InterruptRemoval;
  removal->path = path;
  removal->directory = directory;
  removal->next = removals.load();
  removals.store(removal);
  return removal;
}

void forget_on_interrupt(InterruptRemoval* removal) {
  if (removal) removal->live.store(false);
}

HoldInterrupts::HoldInterrupts() {
  sigset_t set = interrupt_set();
  sigprocmask(SIG_BLOCK, &set, &before_);
}

HoldInterrupts::~HoldInterrupts() { sigprocmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace kvb
