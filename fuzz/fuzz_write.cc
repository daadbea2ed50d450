// Fuzz target: formatted write statements. A format of A and F fields and
// literals, with values from the input, written through s_wsfe, do_fio and
// e_wsfe to a file; the file must hold exactly the records the model builds
// from the parsed format (literals, F editing, the A rule, a line feed).
// Input: byte 0 the number of records, then the format text up to a byte
// 0x00, then the bytes that the values and texts are taken from.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "format.h"
#include "io.h"
#include "model.h"
#include "unit.h"

namespace {

constexpr int kUnit = 12;
std::string file_path;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "MISMATCH %s\n", what.c_str());
  __builtin_trap();
}

// The bytes of the input left for values, taken in turn (zeros past the end).
struct Source {
  std::string_view bytes;
  std::size_t at = 0;
  unsigned char next() { return at < bytes.size() ? static_cast<unsigned char>(bytes[at++]) : 0; }
  float value() {
    std::uint32_t bits = 0;
    for (int k = 0; k < 4; ++k) bits = bits << 8 | next();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
};

void cleanup() { ::unlink(file_path.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvb-fuzz-XXXXXX";
  if (!::mkdtemp(dir.data())) std::perror("mkdtemp"), std::exit(1);
  file_path = dir + "/written.txt";
  std::atexit(cleanup);
  kvb::connect_standard_units();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::size_t nul = rest.find('\0');
  if (nul == std::string_view::npos) return 0;
  std::optional<kvb::Format> format = kvb::parse_format(rest.substr(0, nul));
  if (!format || format->items.size() > 64) return 0;
  for (const kvb::EditDescriptor& e : format->items)
    if (e.code == 'E') return 0;  // written only by F editing
  // A format text is a constant of the program: the run-time finds its plan
  // again by its address. Each text keeps one address here; past a bound on
  // their number, new texts are not tried.
  static std::set<std::string> texts_seen;
  auto seen = texts_seen.find(std::string(rest.substr(0, nul)));
  if (seen == texts_seen.end()) {
    if (texts_seen.size() >= 50000) return -1;
    seen = texts_seen.insert(std::string(rest.substr(0, nul))).first;
  }
  const std::string& text = *seen;
  Source source{rest.substr(nul + 1)};
  int records = 1 + data[0] % 4;

  ::unlink(file_path.c_str());
  std::string want;
  f_open({kUnit, file_path, "unknown"});
  std::string texts[64];
  for (int r = 0; r < records; ++r) {
    // Now and then fewer items than the format has: the record ends at the
    // literals before the first field not used.
    std::size_t used = format->items.size();
    if (used > 0 && (source.next() & 3) == 0) used = source.next() % used;
    s_wsfe({kUnit, false, text.c_str()});
    for (std::size_t k = 0; k < used; ++k) {
      const kvb::EditDescriptor& e = format->items[k];
      want += e.before;
      if (e.code == 'F') {
        float v = source.value();
        do_fio(v);
        want += model::write_fixed(v, e.w, e.d);
        continue;
      }
      texts[k].assign(source.next() % 24, 'x');
      for (char& c : texts[k]) c = static_cast<char>(' ' + source.next() % 95);
      do_fio(texts[k].data(), texts[k].size());
      std::size_t w = e.w ? static_cast<std::size_t>(e.w) : texts[k].size();
      if (w > texts[k].size()) want += std::string(w - texts[k].size(), ' ');
      want += texts[k].substr(0, w);
    }
    want += used < format->items.size() ? format->items[used].before : format->trailing;
    want += '\n';
    e_wsfe();
  }
  f_clos({kUnit});

  std::string got;
  int fd = ::open(file_path.c_str(), O_RDONLY);
  char block[4096];
  for (ssize_t n; fd >= 0 && (n = ::read(fd, block, sizeof block)) > 0;) got.append(block, static_cast<std::size_t>(n));
  if (fd >= 0) ::close(fd);
  if (got != want) fail("format \"" + text + "\": wrote \"" + got + "\", want \"" + want + "\"");
  return 0;
}
