// List-directed console lines: the leading blank, how each item kind is
// written, where a line breaks. Lines are handed to a sink when they end.
#pragma once

#include <string>
#include <string_view>

namespace kvb {

// The text of a real item: a blank, a blank or minus sign, then the
// magnitude to 9 significant digits, always with a point.
//   real_text(0.005f) -> "  0.00499999989"
//   real_text(1e10f)  -> "  1.E+010"
std::string real_text(float r);

class ListLine {
 public:
  static constexpr std::size_t kLineLimit = 80;
  using Sink = void (*)(void* context, std::string_view line);

  ListLine(Sink sink, void* context) : sink_(sink), context_(context) {}

  void character(std::string_view text);
  void integer(int value);
  void real(float value);
  // Ends the message: hands over its last line, line feed included.
  void end();

 private:
  // Starts a new line first when this one holds something and an item of
  // `measure` would reach the limit.
  void make_room(std::size_t measure);

  Sink sink_;
  void* context_;
  std::string line_;
};

}  // namespace kvb
