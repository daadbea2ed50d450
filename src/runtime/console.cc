// Console messages: list-directed writes of character, integer and real items.
#include "console.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io.h"
#include "unit.h"

namespace kvb {

std::string real_text(float r) {
  std::string text = r < 0 ? " -" : "  ";
  if (r == 0) return text + "0.";
  char digits[40];
  std::snprintf(digits, sizeof digits, "%.9G", std::fabs(static_cast<double>(r)));
  std::string s = digits;
  std::size_t e = s.find('E');
  if (e != std::string::npos && s.size() - e < 5) s.insert(e + 2, 5 - (s.size() - e), '0');  // E+10 -> E+010
  char first = s[0];
  if (first != 'I' && first != 'N' && first != 'i' && first != 'n' && s.find('.') == std::string::npos) {
    if (e != std::string::npos) s.insert(e, 1, '.');
    else s += '.';
  }
  return text + s;
}

void ListLine::make_room(std::size_t measure) {
  if (!line_.empty() && line_.size() + measure >= kLineLimit) {
    line_ += '\n';
    sink_(context_, line_);
    line_.clear();
  }
}

void ListLine::character(std::string_view text) {
  make_room(text.size());
  if (line_.empty()) line_ += ' ';
  line_ += text;
}

void ListLine::integer(int value) {
  char digits[16];
  int n = std::snprintf(digits, sizeof digits, "%d", value);
  std::size_t measure = static_cast<std::size_t>(value < 0 ? n - 1 : n);  // the sign does not count
  make_room(measure);
  line_ += ' ';
  line_.append(digits, static_cast<std::size_t>(n));
}

void ListLine::real(float value) {
  std::string text = real_text(value);
  make_room(text.size());
  line_ += text;
}

void ListLine::end() {
  line_ += '\n';
  sink_(context_, line_);
  line_.clear();
}

}  // namespace kvb

using namespace kvb;

namespace {

// The message in progress and the unit it goes to.
Unit* console_unit = nullptr;

void to_unit(void*, std::string_view line) { write_record(*console_unit, line); }

ListLine& message() {
  static ListLine line(to_unit, nullptr);
  return line;
}

}  // namespace

int s_wsle(const cilist& a) {
  console_unit = &begin_statement(a.unit, Direction::kWrite, nullptr);
  return 0;
}

int do_lio(std::string_view text) {
  message().character(text);
  return 0;
}

int do_lio(int value) {
  message().integer(value);
  return 0;
}

int do_lio(float value) {
  message().real(value);
  return 0;
}

int e_wsle() {
  message().end();
  end_statement();
  return 0;
}
