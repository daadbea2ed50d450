// The fatal I/O report and the abortive end. The report's text is built by
// plain functions of an error number, a context word and a state snapshot.
#pragma once

#include <string>
#include <string_view>

#include "errors.h"

namespace kvb {

// What the run-time did lately, as a report describes it. Statements set
// these plain values; the report's words are derived only when a report is
// made.
struct ReportState {
  bool initialized = false;
  int unit = -1;                 // the current unit; -1 for none
  const char* format = nullptr;  // the current format text ("list io" for list-directed I/O), or none
  bool reading = false;          // "reading", else "writing"
  bool sequential = false;       // "sequential", else "direct"
  bool formatted = false;        // "formatted", else "unformatted"
  bool external = false;         // "external", else "internal"
};

// "open: No such file or directory\n", "fmt: end of file\n", ...
std::string report_first_line(int errnum, std::string_view context);
// The unit line, the format line when there is a format, and the "lately"
// line with its closing " IO\n". `unit_name` is the current unit's name, or
// nullptr when it has none.
std::string report_state_lines(const ReportState& state, const std::string* unit_name);

// Writes the report for errnum and context to standard error and ends the
// process with the abortive end. A second report begun while one is ending
// gets its first line and a short notice, then abort() at once.
[[noreturn]] void fatal_report(int errnum, std::string_view context, const ReportState& state,
                               const std::string* unit_name);

// The abortive end: flush standard error, exit-time closing, flush again,
// SIGABRT back to its default, abort().
[[noreturn]] void abortive_end();
// Whether the abortive end has begun: a signal that comes during its
// closing ends the process at once, as the abortive end would.
bool in_abortive_end();

// The exit-time closing that the abortive end runs; set at start-up.
void set_exit_closing(void (*closing)());

// Tests and fuzzers only: called in place of abort() at the abortive end
// (it must not return; it may throw). Also clears the report-started mark.
void set_abort_hook(void (*hook)());

}  // namespace kvb
