// All that the conversion run sees of the run-time: connecting units,
// record statements, the stop. Each statement is a start call, one call per
// item, an end call, as in the run's source:
//   s_rsfe({11, true, "(8E10.4)"}); do_fio(x[k]); ...; e_rsfe();
// No statement has an error branch: a failure ends the process inside the
// run-time with the fatal I/O report. Only a read may have an end branch;
// its calls then return nonzero at the end of the file.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

// OPEN: the unit, the whole name field (trailing blanks are not part of the
// name), the status ("old" or "unknown"; only its first letter counts).
struct olist {
  int unit;
  std::string_view file;
  const char* status;
};

// A data-transfer statement: the unit, whether it has an end branch, and
// its format text (nullptr for list-directed I/O).
struct cilist {
  int unit;
  bool end;
  const char* format;
};

// CLOSE without a status: the file stays.
struct cllist {
  int unit;
};

// Memory for the run's large arrays (the sample buffers): zeroed, kept to
// the end of the run, in one region with the run-time's record buffers.
void* io_memory(std::size_t bytes);

int f_open(const olist& a);
int f_clos(const cllist& a);

// A list-directed read without items: skips one record.
int s_rsle(const cilist& a);
int e_rsle();

// Formatted reads and writes; do_fio transfers one item.
int s_rsfe(const cilist& a);
int e_rsfe();
int s_wsfe(const cilist& a);
int e_wsfe();
int do_fio(float& item);
int do_fio(char* text, std::size_t length);

// A console message: list-directed write of character, integer and real items.
int s_wsle(const cilist& a);
int do_lio(std::string_view text);
int do_lio(int value);
int do_lio(float value);
int e_wsle();

// Assigns text to a fixed-length character field, filling it with blanks.
inline void s_copy(char* field, std::size_t length, std::string_view text) {
  std::size_t n = std::min(length, text.size());
  std::memcpy(field, text.data(), n);
  std::memset(field + n, ' ', length - n);
}

// STOP: writes "STOP text statement executed" to standard error when there
// is a text, then exits with status 0.
[[noreturn]] void s_stop(std::string_view text);

// Ends the run with a message of the program's own on standard error and
// exit status 1 (exit-time closing included).
[[noreturn]] void stop_with_error(std::string_view message);

// Whether unit still has a byte to read (the end-of-file mark is not set
// and the file is not exhausted). Reads ahead; consumes nothing.
bool unit_has_input(int unit);

// The conversion run, called once by the process entry.
void MAIN__();
