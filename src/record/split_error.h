// A failure the user can act on; what() is the whole message, without the
// program's name.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kvb {

struct SplitError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A file of another quantity than acceleration (a seismometer's velocity):
// one that comes beside a record, not one of it.
struct NotAcceleration : SplitError {
  using SplitError::SplitError;
};

// The length of the well-formed UTF-8 sequence at text[at] when it is a
// character from U+00A0 up (not a C1 control), else 0.
inline std::size_t printable_utf8(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t n = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
  if (n == 0 || lead > 0xf4 || text.size() - at < n) return 0;
  char32_t code = lead & (0x7fu >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xc0) != 0x80) return 0;
    code = code << 6 | (next & 0x3fu);
  }
  constexpr char32_t kLeast[] = {0, 0, 0xa0, 0x800, 0x10000};  // shorter is overlong (or C1)
  if (code < kLeast[n] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
  return n;
}

// Text from an input as a message may quote it. Printable ASCII and
// well-formed UTF-8 characters from U+00A0 up are kept; every other byte
// becomes \xNN (ESC is \x1b): C0 controls, DEL, C1 controls (U+0080-U+009F, which many
// terminals obey as \xc2\x9b as well as \x9b) and any byte that is not part
// of a well-formed UTF-8 character (a Latin-1 é is \xe9).
inline std::string escaped(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t n = byte >= 0x20 && byte < 0x7f ? 1 : printable_utf8(text, at);
    if (n > 0) {
      out.append(text.substr(at, n));
      at += n;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
      ++at;
    }
  }
  return out;
}

}  // namespace kvb
