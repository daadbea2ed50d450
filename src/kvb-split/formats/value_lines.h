// What the COSMOS and PEER readers share: blocks of numbers in fixed-width
// fields, Fortran format items, words found in any case, the orientation a
// seismic channel code implies, and input quoted safely in a message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orientation.h"

// So many fields of so many columns to a line.
struct FieldLayout {
  std::size_t per_line = 0;
  std::size_t width = 0;
};

// "(8f9.6)", "(1E15.6)", "(10I8)", "( 5F15.6 )": the repeat count and the
// width of the one edit descriptor; nothing for anything else.
std::optional<FieldLayout> parse_field_format(std::string_view text);

// Appends the values of one data line to values: up to layout.per_line
// fields, a blank field ending the line's values. False, with why, for a
// field that is not a number, a number after a blank field, or text after
// the last field.
bool read_value_line(std::string_view line, FieldLayout layout, std::vector<double>& values,
                     std::string& why);

// text without the blanks around it.
std::string_view trim(std::string_view text);

// Where needle stands in text, letters compared in any case; npos if nowhere.
std::size_t find_word(std::string_view text, std::string_view needle);
bool starts_with_word(std::string_view text, std::string_view prefix);

// The integer that starts text after any blanks; nothing if there is none.
std::optional<long> leading_integer(std::string_view text);

// The orientation a channel code of the form band, instrument, component
// ("HNZ", "BH1", "HNE") implies: Z vertical, N 0 degrees, E 90, 1 and 2
// horizontal of unknown azimuth. Nothing for anything else.
std::optional<Orientation> channel_code_orientation(std::string_view code);

// text between double quotes, control bytes and bytes above 0x7e as \xNN.
std::string quoted(std::string_view text);
