// Format text -> edit descriptors: "(8E10.4)" becomes eight E10.4 fields.
// Groups and repeat counts are expanded here, once per format text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvb {

constexpr int kMaxWidth = 255;  // widest field, most decimals, that a format may give

// '0' to '9', in any locale.
constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }

// One data edit descriptor, with the literal text that the format puts out
// before it (its quoted literals, delimiters removed, run together).
struct EditDescriptor {
  char code;           // 'A', 'E' or 'F'
  int w = 0;           // columns; 0 for A without a width (the item's length)
  int d = 0;           // decimals (E, F)
  std::string before;  // literal text written ahead of the field
};

struct Format {
  std::vector<EditDescriptor> items;  // in the order they are used
  std::string trailing;               // literal text after the last field
  std::size_t columns = 0;            // columns that the data descriptors cover
};

// Parses a format such as "(F7.3,3(',',F10.3))". A quoted literal is
// delimited by an apostrophe, a double quote or the byte 0x02, the same
// character at both ends; the delimiter written twice stands for itself.
// Blanks outside literals are ignored, and so is anything after the closing
// parenthesis. nullopt when the text is not a format this run-time knows.
std::optional<Format> parse_format(std::string_view text);

// The length of a format text up to and including the parenthesis that
// closes it; the whole text when none does.
std::size_t format_text_length(std::string_view text);

}  // namespace kvb
