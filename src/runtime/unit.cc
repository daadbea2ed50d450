// Unit table, run-time state, OPEN, CLOSE and the exit-time closing.
#include "unit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "fatal.h"
#include "format.h"
#include "io.h"
#include "region.h"

namespace kvb {
namespace {

constexpr const char* kListIo = "list io";  // the format text of list-directed I/O

Unit units[kUnits];

struct RunState {
  bool in_progress = false;    // a statement has begun and not ended
  bool closed = false;         // the exit-time closing has run
  bool list_directed = false;  // the statement in progress, or the last one
  ReportState report;
} state;

// The files opened to be read ("old"), by device and inode, whatever name
// or link reached them: none of them is opened to be written.
std::vector<std::pair<dev_t, ino_t>> inputs;

// Both once a file, and kept out of line: inlined into the flattened CSV
// writer, their code cost its loop 7 instructions a line (callgrind).
[[gnu::noinline]] void remember_input(int fd) {
  struct stat st;
  if (::fstat(fd, &st) == 0) inputs.emplace_back(st.st_dev, st.st_ino);
}
[[gnu::noinline]] bool is_input(const std::string& name) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) return false;
  for (const auto& [dev, ino] : inputs)
    if (st.st_dev == dev && st.st_ino == ino) return true;
  return false;
}

// What the memory being taken is for, as a report names it when there is
// none: a file name being stored, or a buffer or line being built.
const char* memory_context = "malloc failure";

std::string_view trim_trailing_blanks(std::string_view field) {
  std::size_t n = field.size();
  while (n > 0 && field[n - 1] == ' ') --n;
  return field.substr(0, n);
}

int open_file(const std::string& name, int flags) {
  int fd;
  do fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  // A directory opens for reading here, but it is no file to read records
  // from or write them to.
  struct stat st;
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return -1;
  }
  return fd;
}

// Cuts a written file after the current position. False when the cut was
// needed and failed.
bool cut(Unit& u) {
  if (!u.seekable || !u.name) return true;
  off_t here = ::lseek(u.fd, 0, SEEK_CUR);
  off_t end = ::lseek(u.fd, 0, SEEK_END);
  if (here < 0 || end < 0 || here >= end) return true;
  return ::ftruncate(u.fd, here) == 0;
}

// Forgets the connection; the unit keeps its buffers for the next one.
void disconnect(Unit& u) {
  if (u.reading) u.in.detach();
  u.connected = false;
  u.name.reset();
  u.stream = nullptr;
  u.fd = -1;
  u.reading = u.writing = false;
  u.end_of_file = u.written = u.read_only = u.seekable = false;
}

// Closes a unit. Returns the error to report, if any, as (errno, context);
// errnum 0 when all went well. The unit keeps its name until `disconnect`.
std::pair<int, const char*> release(Unit& u) {
  std::pair<int, const char*> failure{0, nullptr};
  if (u.stream) {
    std::fflush(u.stream);  // a preconnected stream is left open
    return failure;
  }
  if (u.fd < 0 || !u.name) return failure;  // standard input, or already released
  if (u.writing && !u.out.flush()) failure = {u.out.error(), "write"};
  if (u.written && !cut(u) && failure.first == 0) failure = {kTruncationFailed, "endfile"};
  if (::close(u.fd) != 0 && failure.first == 0 && errno != EINTR) failure = {errno, "write"};
  u.fd = -1;
  return failure;
}

}  // namespace

namespace {

// Memory kept to the end of the run; none left ends it with the report.
void* kept_memory(std::size_t n) {
  void* p = take_memory(n);
  if (!p) out_of_memory();
  return p;
}

// The record buffer for the unit's reads or writes: the first, or the
// second while the other direction holds the first.
char* buffer_for(Unit& u, bool other_attached) {
  char*& buffer = u.buffers[other_attached ? 1 : 0];
  if (!buffer) buffer = static_cast<char*>(kept_memory(kRecordBufferBytes));
  return buffer;
}

}  // namespace

RecordReader& Unit::reader() {
  if (!reading) {
    in.attach(fd, buffer_for(*this, writing));
    reading = true;
  }
  return in;
}

void connect_standard_units() {
  auto connect = [](int n, std::FILE* stream, int fd) {
    Unit& u = units[n];
    u.connected = true;
    u.stream = stream;
    u.fd = fd;
    u.seekable = !::isatty(fd);
  };
  connect(kStderrUnit, stderr, STDERR_FILENO);
  connect(kStdinUnit, nullptr, STDIN_FILENO);
  connect(kStdoutUnit, stdout, STDOUT_FILENO);
  state.report.initialized = true;
}

Unit& begin_statement(int n, Direction direction, const char* format) {
  const char* context = direction == Direction::kRead ? "read start" : "write start";
  if (state.in_progress) io_error(kRecursion, "I/O recursion");
  ReportState& r = state.report;
  r.reading = direction == Direction::kRead;
  r.formatted = true;
  r.external = true;
  if (format) r.sequential = true;
  r.format = format ? format : kListIo;
  state.list_directed = !format;
  if (n < 0 || n >= kUnits) io_error(kIllegalUnit, context);
  r.unit = n;
  Unit& u = units[n];
  if (!u.connected || (u.fd < 0 && !u.stream)) io_error(kNotConnected, context);
  state.in_progress = true;
  return u;
}

void end_statement(bool through_end_branch) {
  state.in_progress = false;
  if (!through_end_branch && !state.list_directed) state.report.format = nullptr;
}

OutputBuffer* record_output(Unit& u) {
  if (u.stream) return nullptr;
  if (!u.written) {
    if (u.read_only) {
      // Opened read-only: the first write reopens the file for update.
      int fd = open_file(*u.name, O_RDWR);
      if (fd < 0) {
        ::close(u.fd);
        u.fd = -1;
        io_error(kCannotWrite, "write start");
      }
      ::close(u.fd);
      u.fd = fd;
      u.read_only = false;
    }
    u.written = true;
  }
  if (!u.writing) {
    u.out.attach(u.fd, buffer_for(u, u.reading));
    u.writing = true;
  }
  return &u.out;
}

void write_record(Unit& u, std::string_view line) {
  if (OutputBuffer* out = record_output(u)) out->write(line.data(), line.size());
  else std::fwrite(line.data(), 1, line.size(), u.stream);  // console write failures are silent
}

void open_unit(int n, std::string_view field, char status) {
  if (state.in_progress) io_error(kRecursion, "I/O recursion");
  state.report.unit = n;
  state.report.external = true;
  if (n < 0 || n >= kUnits) io_error(kIllegalUnit, "open");
  Unit& u = units[n];
  if (u.connected) {
    auto failure = release(u);
    disconnect(u);
    if (failure.first) io_error(failure.first, failure.second);
  }
  memory_context = "no space";
  u.name = std::string(trim_trailing_blanks(field));
  memory_context = "malloc failure";
  const std::string& name = *u.name;
  if (name.empty()) io_error(kNullFileName, "open");

  // "old": the file must exist. Either way it is opened for update where
  // permitted, else for reading; "unknown" creates it when both fail. An
  // existing file is never emptied here.
  bool old = status == 'o' || status == 'O';
  if (old && ::access(name.c_str(), F_OK) != 0) io_error(errno, "open");
  // A file to write ("unknown") that the run has read would be lost with
  // the first record: it is refused before anything is opened.
  if (!old && is_input(name)) io_error(kInputFile, "open");
  // A file to read that is not a regular file (a FIFO, a device) is opened
  // for reading only: held open for writing too, a FIFO would never end.
  struct stat st;
  bool read_only = old && ::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  int fd = read_only ? -1 : open_file(name, O_RDWR);
  if (fd < 0) {
    fd = open_file(name, O_RDONLY);
    u.read_only = fd >= 0;
  }
  if (fd < 0 && !old) {
    fd = open_file(name, O_WRONLY | O_CREAT | O_TRUNC);
    u.written = fd >= 0;
  }
  if (fd < 0) io_error(errno, "open");
  u.connected = true;
  u.fd = fd;
  u.seekable = !::isatty(fd);
  if (old) remember_input(fd);
}

void close_unit(int n) {
  if (state.in_progress) io_error(kRecursion, "I/O recursion");
  if (n < 0 || n >= kUnits) io_error(kIllegalUnit, "close");
  Unit& u = units[n];
  if (!u.connected) return;
  auto failure = release(u);
  if (failure.first) io_error(failure.first, failure.second);
  disconnect(u);
}

void exit_time_closing() {
  if (!state.report.initialized || state.closed) return;
  state.closed = true;
  state.in_progress = false;
  for (Unit& u : units) {
    if (!u.connected) continue;
    release(u);  // errors are ignored here
    disconnect(u);
  }
}

void reset_units_for_tests() {
  for (int n = 0; n < kUnits; ++n) {
    Unit& u = units[n];
    if (!u.connected || u.stream || n == kStdinUnit) continue;
    release(u);
    disconnect(u);
  }
  bool initialized = state.report.initialized;
  state = RunState{};
  inputs.clear();
  state.report.initialized = initialized;
}

void io_error(int errnum, const char* context) {
  int n = state.report.unit;
  fatal_report(errnum, context, state.report, n >= 0 && units[n].name ? &*units[n].name : nullptr);
}

void out_of_memory() { io_error(kOutOfSpace, memory_context); }

}  // namespace kvb

using namespace kvb;

bool unit_has_input(int n) {
  if (n < 0 || n >= kUnits) return false;
  Unit& u = units[n];
  return u.connected && u.fd >= 0 && !u.end_of_file && u.reader().has_byte();
}

void* io_memory(std::size_t bytes) { return kept_memory(bytes); }

int f_open(const olist& a) {
  open_unit(a.unit, a.file, a.status ? a.status[0] : 'u');
  return 0;
}

int f_clos(const cllist& a) {
  close_unit(a.unit);
  return 0;
}
