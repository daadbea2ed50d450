// Pieces the COSMOS and PEER readers share beyond text_fields.h: the field
// layout a Fortran format states and the integer a line starts with.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// So many fields of so many columns to a line.
struct FieldLayout {
  std::size_t per_line = 0;
  std::size_t width = 0;
};

// "(8f9.6)", "(1E15.6)", "(10I8)", "( 5F15.6 )": the repeat count and the
// width of the one edit descriptor; nothing for anything else.
std::optional<FieldLayout> parse_field_format(std::string_view text);

// The integer that starts text after any blanks; nothing if there is none.
std::optional<long> leading_integer(std::string_view text);
