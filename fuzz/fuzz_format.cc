// Fuzz target: arbitrary format texts through the format interpreter. A
// format it accepts must keep its limits, end where format_text_length says
// it ends, and read back the same when written out again in plain form.
#include <cstdint>
#include <cstdio>
#include <string>

#include "format.h"

namespace {

constexpr std::size_t kMaxItems = 4096;  // edit descriptors after expansion
using kvb::kMaxWidth;

[[noreturn]] void fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "MISMATCH %s, format of %zu bytes:", what, text.size());
  for (char c : text) std::fprintf(stderr, " %02x", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\n");
  __builtin_trap();
}

bool same(const kvb::Format& a, const kvb::Format& b) {
  if (a.items.size() != b.items.size() || a.trailing != b.trailing || a.columns != b.columns) return false;
  for (std::size_t k = 0; k < a.items.size(); ++k) {
    const kvb::EditDescriptor& x = a.items[k];
    const kvb::EditDescriptor& y = b.items[k];
    if (x.code != y.code || x.w != y.w || x.d != y.d || x.before != y.before) return false;
  }
  return true;
}

// A literal between apostrophes, an apostrophe inside written twice.
std::string quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? "''" : std::string(1, c);
  return q + "'";
}

// The format without groups or repeat counts: every descriptor once, in order.
std::string plain_text(const kvb::Format& f) {
  std::string text = "(";
  for (const kvb::EditDescriptor& e : f.items) {
    if (!e.before.empty()) text += quoted(e.before) + ",";
    text += e.code;
    if (e.code != 'A' || e.w != 0) text += std::to_string(e.w);
    if (e.code != 'A') text += "." + std::to_string(e.d);
    text += ",";
  }
  if (!f.trailing.empty()) text += quoted(f.trailing);
  return text + ")";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t length = kvb::format_text_length(text);
  if (length > size) fail("length past the text", text);
  std::optional<kvb::Format> f = kvb::parse_format(text);
  if (!f) return 0;

  if (f->items.size() > kMaxItems) fail("too many items", text);
  std::size_t columns = 0, literal_bytes = f->trailing.size();
  for (const kvb::EditDescriptor& e : f->items) {
    bool numeric = e.code == 'E' || e.code == 'F';
    if (!numeric && e.code != 'A') fail("unknown code", text);
    if (e.w < (numeric ? 1 : 0) || e.w > kMaxWidth || e.d < 0 || e.d > kMaxWidth || (!numeric && e.d != 0))
      fail("width or decimals out of range", text);
    columns += static_cast<std::size_t>(e.w);
    literal_bytes += e.before.size();
  }
  if (columns != f->columns) fail("columns", text);
  // Each literal is a piece of the text, put out at most once per item.
  if (literal_bytes > (kMaxItems + 1) * size) fail("literal text out of bounds", text);

  // The text ends at its closing parenthesis; what follows is ignored.
  if (length == 0 || text[length - 1] != ')') fail("no closing parenthesis at the length", text);
  std::optional<kvb::Format> cut = kvb::parse_format(text.substr(0, length));
  if (!cut || !same(*f, *cut)) fail("cut at the length reads differently", text);

  std::string plain = plain_text(*f);
  std::optional<kvb::Format> again = kvb::parse_format(plain);
  if (!again || !same(*f, *again)) fail("plain form reads differently", text);
  if (kvb::format_text_length(plain) != plain.size()) fail("plain form length", text);
  return 0;
}
