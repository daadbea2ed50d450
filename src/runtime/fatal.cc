// The fatal I/O report: its text, and the abortive end that follows it.
#include "fatal.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "errors.h"
#include "format.h"

namespace kvb {
namespace {

bool report_started = false;
volatile std::sig_atomic_t abortive_end_started = 0;
void (*exit_closing)() = nullptr;
void (*abort_hook)() = nullptr;

// The text of a report, built without taking memory: a report must still
// be written when memory has run out. Longer text is cut at the capacity.
class ReportText {
 public:
  ReportText& operator<<(std::string_view s) {
    std::size_t n = std::min(s.size(), sizeof bytes_ - size_);
    std::memcpy(bytes_ + size_, s.data(), n);
    size_ += n;
    return *this;
  }
  ReportText& operator<<(int value) {
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%d", value);
    return *this << std::string_view(digits, static_cast<std::size_t>(n));
  }
  std::string_view view() const { return {bytes_, size_}; }

 private:
  char bytes_[512];
  std::size_t size_ = 0;
};

void first_line(ReportText& text, int errnum, std::string_view context) {
  text << context << ": ";
  if (errnum >= 0 && errnum <= 99) {
    text << std::strerror(errnum);  // the text perror() writes
  } else if (errnum == kEndOfFileError) {
    text << "end of file";
  } else if (errnum >= kFormatError && errnum <= kLastIoError) {
    text << kMessages[errnum - kFormatError];
  } else if (errnum == kInputFile) {
    text << kInputFileMessage;
  } else {
    text << "illegal error number " << errnum;
  }
  text << "\n";
}

void state_lines(ReportText& text, const ReportState& s, const std::string* unit_name) {
  if (s.unit >= 0) {
    text << "apparent state: unit " << s.unit << " ";
    // The name is printed as a C string: up to a NUL byte typed into it.
    if (unit_name) text << "named " << std::string_view(*unit_name).substr(0, unit_name->find('\0')) << "\n";
    else text << "(unnamed)\n";
  } else {
    text << "apparent state: internal I/O\n";
  }
  if (s.format) {
    std::string_view format = s.format;
    text << "last format: " << format.substr(0, format_text_length(format)) << "\n";
  }
  text << "lately " << (s.reading ? "reading " : "writing ") << (s.sequential ? "sequential " : "direct ")
       << (s.formatted ? "formatted " : "unformatted ") << (s.external ? "external" : "internal") << " IO\n";
}

void write_stderr(const ReportText& text) {
  std::fwrite(text.view().data(), 1, text.view().size(), stderr);  // stderr failures are silent
}

}  // namespace

std::string report_first_line(int errnum, std::string_view context) {
  ReportText text;
  first_line(text, errnum, context);
  return std::string(text.view());
}

std::string report_state_lines(const ReportState& s, const std::string* unit_name) {
  ReportText text;
  state_lines(text, s, unit_name);
  return std::string(text.view());
}

void fatal_report(int errnum, std::string_view context, const ReportState& state, const std::string* unit_name) {
  ReportText text;
  first_line(text, errnum, context);
  write_stderr(text);
  if (report_started) {
    std::fputs("(fatal I/O report already started, aborting.)", stderr);
    if (abort_hook) abort_hook();
    std::abort();
  }
  report_started = true;
  ReportText rest;
  if (state.initialized) state_lines(rest, state, unit_name);
  else rest << " IO\n";
  write_stderr(rest);
  abortive_end();
}

void abortive_end() {
  abortive_end_started = 1;
  std::fflush(stderr);
  if (exit_closing) exit_closing();
  std::fflush(stderr);
  std::signal(SIGABRT, SIG_DFL);  // so that no "IOT Trap" follows
  if (abort_hook) {
    report_started = false;
    abortive_end_started = 0;
    abort_hook();
  }
  std::abort();
}

bool in_abortive_end() { return abortive_end_started != 0; }

void set_exit_closing(void (*closing)()) { exit_closing = closing; }

void set_abort_hook(void (*hook)()) {
  abort_hook = hook;
  report_started = false;
}

}  // namespace kvb
