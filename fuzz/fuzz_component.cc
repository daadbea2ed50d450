// Fuzz target: arbitrary bytes as a component file, read as the run reads
// it (open, the header's skips and title, the data loop, close), compared
// with the plain model: the fatal report's first line, the title, the
// record count and every sample, bit for bit.
// Input: 4 bytes that decide how the file's bytes arrive (in which pieces,
// with interrupted reads, with a read error at some byte), then the file.
// The target is linked with --wrap=read, so the run-time's reads of the
// file come through __wrap_read below.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "component_reader.h"
#include "fatal.h"
#include "io.h"
#include "model.h"
#include "unit.h"

extern "C" ssize_t __real_read(int fd, void* buffer, std::size_t n);

namespace {

constexpr std::size_t kNameLength = kFieldLength;
constexpr std::size_t kBufferSamples = layout::kBufferSamples;
constexpr std::size_t kHeaderRecords = layout::kHeaderRecords;
constexpr std::size_t kMaxDataRecords = kBufferSamples / layout::kFieldsPerRecord;

struct FatalStop {};

// How the file's bytes arrive at the reader.
struct Delivery {
  bool active = false;
  std::uint32_t random = 0;        // 0: every read gets all it asks for
  std::size_t largest = 0;         // largest piece
  int pieces_left = 0;             // then all it asks for
  bool interrupts = false;         // now and then a read fails with EINTR
  std::size_t fail_at = SIZE_MAX;  // a read at this byte fails with EIO
  std::size_t delivered = 0;
} delivery;

std::uint32_t next_random() {
  std::uint32_t& x = delivery.random;
  x ^= x << 13, x ^= x >> 17, x ^= x << 5;
  return x;
}

char name_field[kNameLength];
std::string file_path;
int file_fd = -1;
float samples[kBufferSamples];  // all zero before each read
const float kZeros[1024] = {};
char title[kNameLength];
struct sigaction fuzzer_abort_action;
bool have_fuzzer_abort_action = false;

void stop_at_abort() { throw FatalStop{}; }

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "MISMATCH %s\n", what.c_str());
  __builtin_trap();
}

// More input after a full buffer of complete data records ends the run with exit(1):
// no such file is read here. Counts the line feeds of the text the reader
// sees (a CR adds none, nothing after a byte 0x1A is seen).
bool overfills_buffer(std::string_view file) {
  file = file.substr(0, file.find('\x1a'));
  std::size_t lf = 0;
  for (std::size_t k = 0; k < file.size(); ++k)
    if (file[k] == '\n' && ++lf == kHeaderRecords + kMaxDataRecords) return k + 1 < file.size();
  return false;
}

void cleanup() {
  if (file_fd >= 0) ::close(file_fd);
  ::unlink(file_path.c_str());
  ::rmdir(file_path.substr(0, file_path.rfind('/')).c_str());
}

// Every sample as the model stored it, in order from position 1; zeros after.
void check_samples(const std::vector<float>& want) {
  std::size_t stored = want.size();
  for (std::size_t k = 0; k < kBufferSamples; ++k) {
    if (k >= stored && k % 1024 == 0 && k + 1024 <= kBufferSamples &&
        std::memcmp(&samples[k], kZeros, sizeof kZeros) == 0) {
      k += 1023;
      continue;
    }
    float expected = k < stored ? want[k] : 0.0f;
    if (std::memcmp(&samples[k], &expected, sizeof expected) != 0) {
      char s[128];
      std::snprintf(s, sizeof s, "sample %zu: %a, want %a", k + 1, static_cast<double>(samples[k]),
                    static_cast<double>(expected));
      fail(s);
    }
  }
  std::memset(samples, 0, stored * sizeof(float));
}

}  // namespace

extern "C" ssize_t __wrap_read(int fd, void* buffer, std::size_t n) {
  if (!delivery.active || fd <= STDERR_FILENO) return __real_read(fd, buffer, n);
  if (delivery.interrupts && (next_random() & 7) == 0) {
    errno = EINTR;
    return -1;
  }
  if (delivery.delivered >= delivery.fail_at) {
    errno = EIO;
    return -1;
  }
  n = std::min(n, delivery.fail_at - delivery.delivered);
  if (delivery.random && delivery.pieces_left > 0) {
    --delivery.pieces_left;
    n = std::min(n, 1 + next_random() % delivery.largest);
  }
  ssize_t got = __real_read(fd, buffer, n);
  if (got > 0) delivery.delivered += static_cast<std::size_t>(got);
  return got;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A file in memory where there is a place for one: a disk file's
  // truncation and rewriting would cost more than the read itself.
  const char* tmp = std::getenv("TMPDIR");
  std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp && *tmp && std::strlen(tmp) < 40 ? tmp : "/tmp";
  std::string dir = base + "/kvb-fuzz-XXXXXX";
  if (!::mkdtemp(dir.data())) std::perror("mkdtemp"), std::exit(1);
  // An absolute name: the fuzzer's own paths stay relative to where it started.
  file_path = dir + "/KVB-N00.txt";
  file_fd = ::open(file_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (file_fd < 0) std::perror("open"), std::exit(1);
  std::atexit(cleanup);
  s_copy(name_field, kNameLength, file_path);
  kvb::connect_standard_units();
  kvb::set_abort_hook(stop_at_abort);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::string_view file(reinterpret_cast<const char*>(data) + 4, size - 4);
  if (overfills_buffer(file)) return -1;
  if (!have_fuzzer_abort_action) {
    // The abortive end puts SIGABRT back to its default; the fuzzer's own
    // handler is restored after each report.
    ::sigaction(SIGABRT, nullptr, &fuzzer_abort_action);
    have_fuzzer_abort_action = true;
  }

  if (::pwrite(file_fd, file.data(), file.size(), 0) != static_cast<ssize_t>(file.size()) ||
      ::ftruncate(file_fd, static_cast<off_t>(file.size())) != 0)
    std::perror("writing the component file"), std::abort();

  delivery = Delivery{};
  if (data[0] != 0) {
    delivery.random = static_cast<std::uint32_t>(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
    delivery.largest = std::size_t{1} << (data[0] % 17);
    delivery.pieces_left = 512;
    delivery.interrupts = data[1] & 1;
  }
  if (data[1] & 2) delivery.fail_at = static_cast<std::size_t>(data[2] << 8 | data[3]) * 2;
  // The model reads the bytes before a read error.
  model::ComponentRead want = model::read_component(file.substr(0, std::min(file.size(), delivery.fail_at)));

  // The fatal report goes to a buffer of ours instead of standard error.
  char* report = nullptr;
  std::size_t report_size = 0;
  std::FILE* real_stderr = stderr;
  std::FILE* capture = ::open_memstream(&report, &report_size);
  std::memset(title, '?', sizeof title);
  int i = -1, in = -1;
  bool stopped = false;

  stderr = capture;
  delivery.active = true;
  try {
    open_component(name_field);
    skip_records(layout::kTitleRecord - 1);
    read_title(title);
    skip_records(layout::kHeaderRecords - layout::kTitleRecord);
    i = read_data(name_field, samples, in);
    f_clos({kComponentUnit});
  } catch (const FatalStop&) { stopped = true; }
  delivery.active = false;
  stderr = real_stderr;
  std::fclose(capture);
  if (stopped) {
    kvb::reset_units_for_tests();
    kvb::set_abort_hook(stop_at_abort);
    ::sigaction(SIGABRT, &fuzzer_abort_action, nullptr);
  }

  std::string got_report(report, report_size);
  std::free(report);
  std::string first_line = got_report.substr(0, got_report.find('\n') + 1);
  if (stopped != !want.fatal.empty() || first_line != want.fatal)
    fail("fatal report \"" + got_report + "\", want first line \"" + want.fatal + "\"");
  if (want.has_title && std::string(title, kNameLength) != want.title)
    fail("title \"" + std::string(title, kNameLength) + "\", want \"" + want.title + "\"");
  if (!stopped && (i != want.records || in != 8 * i + 1))
    fail("i, in = " + std::to_string(i) + ", " + std::to_string(in) + ", want i = " + std::to_string(want.records));
  check_samples(want.samples);
  return 0;
}
