// What kvb-split does with signals. SIGPIPE and SIGXFSZ are ignored, so that
// a closed pipe or a file size limit is a write error that gets reported. An
// interrupt (SIGINT, SIGTERM, SIGHUP, SIGQUIT) removes the files and
// directories registered here, then ends the process by the same signal, so
// that the shell sees the usual status (130 for SIGINT). While a HoldInterrupts
// exists, an interrupt waits; it takes effect when the last one ends.
#pragma once

#include <signal.h>

#include <string>

namespace kvb {

// Called once at the start. An interrupt that was ignored when the program
// started (nohup, a background job) stays ignored. Standard descriptors that
// are closed are opened on /dev/null for reading, so that no file of the run
// ever becomes standard output or error, and writing to them still fails.
void setup_signals();

// A path that an interrupt removes until forget_on_interrupt(): a file, or a
// directory (removed only when it is empty). Later registrations go first.
struct InterruptRemoval;
InterruptRemoval* remove_on_interrupt(const std::string& path, bool directory);
void forget_on_interrupt(InterruptRemoval* removal);  // null: nothing to forget

class HoldInterrupts {
 public:
  HoldInterrupts();
  ~HoldInterrupts();
  HoldInterrupts(const HoldInterrupts&) = delete;
  HoldInterrupts& operator=(const HoldInterrupts&) = delete;

 private:
  sigset_t before_;
};

}  // namespace kvb
