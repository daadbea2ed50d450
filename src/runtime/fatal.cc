// The fatal I/O report: its text, and the abortive end that follows it.
#include "fatal.h"

#include "format.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kvb {
namespace {

// Run-time errors 100..132, by number minus 100.
constexpr const char* kMessages[] = {
    "error in format",
    "illegal unit number",
    "formatted io not allowed",
    "unformatted io not allowed",
    "direct io not allowed",
    "sequential io not allowed",
    "can't backspace file",
    "null file name",
    "can't stat file",
    "unit not connected",
    "off end of record",
    "truncation failed in endfile",
    "incomprehensible list input",
    "out of free space",
    "unit not connected",
    "read unexpected character",
    "bad logical input field",
    "bad variable type",
    "bad namelist name",
    "variable not in namelist",
    "no end record",
    "variable count incorrect",
    "subscript for scalar variable",
    "invalid array section",
    "substring out of bounds",
    "subscript out of bounds",
    "can't read file",
    "can't write file",
    "'new' file exists",
    "can't append to file",
    "non-positive record number",
    "I/O started while already doing I/O",
    "Temporary file name (TMPDIR?) too long",
};
constexpr int kFirstMessage = 100;
constexpr int kLastMessage = kFirstMessage + sizeof kMessages / sizeof *kMessages - 1;

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
  } else if (errnum >= kFirstMessage && errnum <= kLastMessage) {
    line += kMessages[errnum - kFirstMessage];
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
