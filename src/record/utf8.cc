#include "record/utf8.h"

#include <utility>

namespace kvb {

namespace {

// The length of the valid UTF-8 sequence at text[at] (1 for ASCII) and its
// code point; 0 when the bytes there are not one.
std::size_t sequence(std::string_view text, std::size_t at, char32_t& point) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    point = lead;
    return 1;
  }
  // 0xF8 and above lead no sequence: their bits past the first three would
  // be lost, and F8 90 80 80 taken for U+10000.
  std::size_t length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  point = lead & (0x3F >> (length - 1));
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    point = (point << 6) | (byte(k) & 0x3F);
  }
  static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
  return length;
}

bool control(char32_t point) { return point < 0x20 || (point >= 0x7F && point <= 0x9F); }

// The text as valid UTF-8, bytes outside it read as Latin-1 or, where
// turkish, ISO-8859-9.
std::string decoded(std::string_view text, bool turkish) {
  // ISO-8859-9's letters where Latin-1 has others.
  static constexpr std::pair<unsigned char, char16_t> kTurkish[] = {{0xD0, u'Ğ'}, {0xDD, u'İ'}, {0xDE, u'Ş'},
                                                                    {0xF0, u'ğ'}, {0xFD, u'ı'}, {0xFE, u'ş'}};
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    char32_t point = 0;
    if (std::size_t length = sequence(text, at, point)) {
      out.append(text, at, length);
      at += length;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[at++]);
    char16_t letter = byte;
    for (const auto& [code, turkish_letter] : kTurkish)
      if (turkish && byte == code) letter = turkish_letter;
    if (byte < 0xA0) {
      out += "\xEF\xBF\xBD";
    } else {
      out += static_cast<char>(0xC0 | (letter >> 6));
      out += static_cast<char>(0x80 | (letter & 0x3F));
    }
  }
  return out;
}

}  // namespace

std::string as_utf8(std::string_view text) { return decoded(text, false); }

std::string turkish_as_utf8(std::string_view text) { return decoded(text, true); }

std::string without_controls(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    char32_t point = 0;
    std::size_t length = sequence(text, at, point);
    if (length == 0) {  // a byte of another encoding, as Latin-1 reads it
      point = static_cast<unsigned char>(text[at]);
      length = 1;
    }
    if (control(point)) {
      out += '?';
    } else {
      out.append(text, at, length);
    }
    at += length;
  }
  return out;
}

}  // namespace kvb
