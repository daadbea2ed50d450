// Pieces the readers share beyond text_fields.h: the field layout a Fortran
// format states and the integer a line starts with.
//
// The agency files state their data layout as one Fortran edit descriptor in
// parentheses. This is kvb-split's one parser of it; the run-time's format
// parser (src/runtime/format.h) is read-KVB's own, for the A, E and F fields,
// groups and literals of its statements, and knows neither I, G nor D, so the
// two stay apart.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kvb {

// So many fields of so many columns to a line.
struct FieldLayout {
  std::size_t per_line = 0;
  std::size_t width = 0;
};

// One edit descriptor in parentheses, "(rCw.d)": the repeat count r (1 when
// not written), the code C (E, F, G, D or I, either case; here in lower case),
// the width w and the decimals d (0 when not written).
struct EditDescriptor {
  std::size_t repeat = 1;
  char code = 'f';
  std::size_t width = 0;
  std::size_t decimals = 0;
};

// How strict a reader is: the most digits of each number (more make the text
// no descriptor), and whether blanks may stand inside the parentheses.
struct DescriptorSyntax {
  std::size_t digits = 4;
  bool blanks = true;
};

// The descriptor whose '(' is just before text[at]; nothing for anything else,
// nor for a repeat count or width of 0.
std::optional<EditDescriptor> parse_edit_descriptor(std::string_view text, std::size_t at, DescriptorSyntax syntax);

// "(8f9.6)", "(1E15.6)", "(10I8)", "( 5F15.6 )" (COSMOS and PEER: the whole
// text after blanks, numbers of up to four digits): the repeat count and the
// width of the one edit descriptor; nothing for anything else.
std::optional<FieldLayout> parse_field_format(std::string_view text);

// The integer that starts text after any blanks; nothing if there is none.
std::optional<long> leading_integer(std::string_view text);

}  // namespace kvb
