// Unit table: units 0..99, what each is connected to, the run-time state
// that a fatal report describes, connecting, releasing and exit-time closing.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "output.h"
#include "record.h"

namespace kvb {

constexpr int kUnits = 100;
constexpr int kStderrUnit = 0;
constexpr int kStdinUnit = 5;
constexpr int kStdoutUnit = 6;

struct Unit {
  bool connected = false;
  std::optional<std::string> name;  // none for the preconnected units
  std::FILE* stream = nullptr;      // standard error and output write through stdio
  int fd = -1;                      // a file connected by an OPEN, or standard input
  bool reading = false;             // `in` is attached to fd
  bool writing = false;             // `out` is attached to fd
  RecordReader in;
  OutputBuffer out;
  // Record buffers, taken when first needed and kept for later connections:
  // reads and writes share the first; a connection that reads and writes
  // both has the second for its writes.
  char* buffers[2] = {};
  bool end_of_file = false;  // a read asked for a byte and there was none
  bool written = false;      // the last operation was a write: cut at close
  bool read_only = false;    // opened for reading only
  bool seekable = false;     // not a terminal

  RecordReader& reader();
};

enum class Direction { kRead, kWrite };

// Connects units 0, 5 and 6 to the standard streams and marks the run-time
// initialized.
void connect_standard_units();

// Starts a data-transfer statement on a unit: checks the unit and the
// statement-in-progress mark and records what the report would say.
// `format` is the format text, or nullptr for list-directed I/O.
Unit& begin_statement(int unit, Direction direction, const char* format);
// Ends it. A statement left through its end branch keeps its format current.
void end_statement(bool through_end_branch = false);

// Where a record written to the unit goes: its buffer, after the first
// write's reopening; nullptr for a unit that writes through stdio.
OutputBuffer* record_output(Unit& unit);
// Hands one finished record (its line feed included) to the unit.
void write_record(Unit& unit, std::string_view line);

// OPEN with status "old" (the file must exist) or "unknown" (created when
// missing). `field` is the whole name field, trailing blanks included.
void open_unit(int unit, std::string_view field, char status);
// CLOSE without a status: the file stays; a written file is cut after what
// was written. A failed write or cut is reported.
void close_unit(int unit);

// Runs once, at exit and at the abortive end: closes every unit, silently.
void exit_time_closing();

// Tests and fuzzers only: releases every unit but the standard ones and
// puts the run-time state back as at start-up.
void reset_units_for_tests();

// The fatal I/O report for the statement in progress.
[[noreturn]] void io_error(int errnum, const char* context);
// Memory that cannot be had ends the run with the fatal I/O report
// (kOutOfSpace): the handler of operator new, installed at start-up, and
// every allocation of the statements that fails ends here.
[[noreturn]] void out_of_memory();

}  // namespace kvb
