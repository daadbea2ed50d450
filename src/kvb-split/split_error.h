// A failure the user can act on; what() is the whole message, without the
// program's name.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

struct SplitError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Text from an input as a message may quote it: control bytes become \x1b.
inline std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}
