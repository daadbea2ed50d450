// The fatal I/O report: its text, and the abortive end that follows it.
#include "fatal.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "errors.h"
#include "format.h"

namespace kvb {
namespace {

bool report_started = false;
void (*exit_closing)() = nullptr;
void (*abort_hook)() = nullptr;

void write_stderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);  // stderr failures are silent
}

}  // namespace

std::string report_first_line(int errnum, std::string_view context) {
  std::string line(context);
  line += ": ";
  if (errnum >= 0 && errnum <= 99) {
    line += std::strerror(errnum);  // the text perror() writes
  } else if (errnum == kEndOfFileError) {
    line += "end of file";
  } else if (errnum >= kFormatError && errnum <= kLastIoError) {
    line += kMessages[errnum - kFormatError];
  } else {
    line += "illegal error number " + std::to_string(errnum);
  }
  return line + '\n';
}

std::string report_state_lines(const ReportState& s, const std::string* unit_name) {
  std::string text;
  if (s.unit >= 0) {
    text = "apparent state: unit " + std::to_string(s.unit) + ' ';
    // The name is printed as a C string: up to a NUL byte typed into it.
    text += unit_name ? "named " + unit_name->substr(0, unit_name->find('\0')) + '\n' : "(unnamed)\n";
  } else {
    text = "apparent state: internal I/O\n";
  }
  if (s.format) {
    std::string_view format = s.format;
    text += "last format: " + std::string(format.substr(0, format_text_length(format))) + '\n';
  }
  text += std::string("lately ") + (s.reading ? "reading " : "writing ") + (s.sequential ? "sequential " : "direct ") +
          (s.formatted ? "formatted " : "unformatted ") + (s.external ? "external" : "internal");
  return text + " IO\n";
}

void fatal_report(int errnum, std::string_view context, const ReportState& state, const std::string* unit_name) {
  write_stderr(report_first_line(errnum, context));
  if (report_started) {
    write_stderr("(fatal I/O report already started, aborting.)");
    if (abort_hook) abort_hook();
    std::abort();
  }
  report_started = true;
  write_stderr(state.initialized ? report_state_lines(state, unit_name) : std::string(" IO\n"));
  abortive_end();
}

void abortive_end() {
  std::fflush(stderr);
  if (exit_closing) exit_closing();
  std::fflush(stderr);
  std::signal(SIGABRT, SIG_DFL);  // so that no "IOT Trap" follows
  if (abort_hook) {
    report_started = false;
    abort_hook();
  }
  std::abort();
}

void set_exit_closing(void (*closing)()) { exit_closing = closing; }

void set_abort_hook(void (*hook)()) {
  abort_hook = hook;
  report_started = false;
}

}  // namespace kvb
