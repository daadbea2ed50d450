// Text from agency files on its way out: valid UTF-8 for the record file, and
// without control characters where it goes into a component file's title,
// which read-KVB echoes to the terminal.
#pragma once

#include <string>
#include <string_view>

namespace kvb {

// The text as valid UTF-8: valid sequences as they are; any other byte read as
// Latin-1 (0xE9 is é, as in the older files' "Peña"), except 0x80 to 0x9F,
// which Latin-1 leaves to control characters and which become U+FFFD.
std::string as_utf8(std::string_view text);

// The same, but bytes outside UTF-8 read as ISO-8859-9, the Turkish Latin-1
// (0xDD is İ, 0xFD ı, 0xDE Ş, 0xFE ş, 0xD0 Ğ, 0xF0 ğ), as AFAD's files write them.
std::string turkish_as_utf8(std::string_view text);

// The text with each control character replaced by '?': C0 and DEL, and C1
// whether a raw byte 0x80 to 0x9F or UTF-8 U+0080 to U+009F. Other bytes stay.
std::string without_controls(std::string_view text);

}  // namespace kvb
