// The process: start-up, signal reports, the run, and its ends.
#pragma once

namespace kvb {

// Prepares the run-time and calls the main routine; exits with status 0 if
// it ever returns. Arguments are accepted and ignored.
[[noreturn]] void run_program(int argc, char** argv, void (*main_routine)());

}  // namespace kvb
