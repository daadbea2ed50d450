// Character tests and case for the readers, the same in every locale, and a
// line of the input as a message quotes it.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

#include "readers/text_fields.h"

namespace kvb {

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }
inline bool is_alpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
inline char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
// True when text holds nothing but blanks, or nothing.
inline bool is_blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// A line of the input as a message quotes it: cut at 60 columns, trimmed.
inline std::string shown(std::string_view line) { return quoted(trim(line.substr(0, 60))); }

}  // namespace kvb
