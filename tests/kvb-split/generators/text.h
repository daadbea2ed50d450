// printf into a std::string, for the generators' fixed-width fields.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace kvb_test {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
inline std::string format(const char* fmt, ...) {
  char text[256];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  return text;
}

}  // namespace kvb_test
