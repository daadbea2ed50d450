// The rules, one step after another; no fast paths, no shared code with the
// run-time but its plain types.
#include "model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace model {
namespace {

using kvb::FieldOutcome;
using kvb::RealField;
using kvb::RecordEnd;

constexpr int kEndOfRecord = -2;
// An exponent this large already puts any field far outside the range of
// double; larger ones change nothing.
constexpr long long kExponentCap = 1000000;

bool is_digit(int c) { return c >= '0' && c <= '9'; }

// The columns of one field. take() uses up a column; it is false when it
// met the end of the file, which stops the field at once.
class Columns {
 public:
  Columns(std::string_view rest, RecordEnd end, int w) : rest_(rest), end_(end), left_(w) {}
  bool take(int& c) {
    --left_;
    if (pos_ < rest_.size()) {
      c = static_cast<unsigned char>(rest_[pos_++]);
      return true;
    }
    c = kEndOfRecord;
    return end_ == RecordEnd::kLineFeed;
  }
  bool left() const { return left_ > 0; }
  std::size_t used() const { return pos_; }

 private:
  std::string_view rest_;
  RecordEnd end_;
  int left_;
  std::size_t pos_ = 0;
};

// The significant digits times 10^adjust, through the decimal text and
// strtod, then rounded to single precision.
float convert(bool negative, std::string digits, long long adjust) {
  if (digits.find_first_not_of('0') == std::string::npos) return 0.0f;
  while (digits.back() == '0') digits.pop_back(), ++adjust;
  std::string text = (negative ? "-" : "") + digits;
  if (adjust != 0) text += "e" + std::to_string(adjust);
  return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

}  // namespace

RealField read_real(std::string_view rest, RecordEnd end, int w, int d) {
  Columns col(rest, end, w);
  bool negative = false;
  std::string digits;
  long long adjust = -d;
  auto end_of_file = [&] { return RealField{FieldOutcome::kEndOfFile, 0.0f, col.used()}; };
  auto bad = [&] { return RealField{FieldOutcome::kBadCharacter, 0.0f, col.used()}; };
  auto zero = [&] { return RealField{FieldOutcome::kValue, 0.0f, col.used()}; };
  auto value = [&] { return RealField{FieldOutcome::kValue, convert(negative, digits, adjust), col.used()}; };
  int c;

  // Leading blanks.
  if (!col.take(c)) return end_of_file();
  while (c == ' ' && col.left())
    if (!col.take(c)) return end_of_file();
  // The sign.
  if (c == '+' || c == '-') {
    negative = c == '-';
    if (!col.left()) return zero();
    if (!col.take(c)) return end_of_file();
  }
  // Blanks, then zeros.
  while (c == ' ') {
    if (!col.left()) return zero();
    if (!col.take(c)) return end_of_file();
  }
  while (c == '0') {
    if (!col.left()) return zero();
    if (!col.take(c)) return end_of_file();
  }
  // Digits and blanks before the point.
  while (is_digit(c) || c == ' ') {
    if (c != ' ') digits += static_cast<char>(c);
    if (!col.left()) return value();
    if (!col.take(c)) return end_of_file();
  }
  // The point and what follows it.
  if (c == '.') {
    adjust += d;
    if (!col.left()) return value();
    if (!col.take(c)) return end_of_file();
    if (digits.empty()) {
      while (c == '0' || c == ' ') {
        if (c == '0') --adjust;
        if (!col.left()) return value();
        if (!col.take(c)) return end_of_file();
      }
    }
    while (is_digit(c) || c == ' ') {
      if (c != ' ') digits += static_cast<char>(c), --adjust;
      if (!col.left()) return value();
      if (!col.take(c)) return end_of_file();
    }
  }
  // What ends the number part.
  if (c == kEndOfRecord || c == ',') return value();
  bool exponent_negative = false;
  if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    if (!col.left()) return bad();
    if (!col.take(c)) return end_of_file();
    while (c == ' ') {
      if (!col.left()) return bad();
      if (!col.take(c)) return end_of_file();
    }
    if (c == '+' || c == '-') {
      exponent_negative = c == '-';
      if (!col.left()) return bad();
      if (!col.take(c)) return end_of_file();
    }
  } else if (c == '+' || c == '-') {
    exponent_negative = c == '-';
    if (!col.left()) return bad();
    if (!col.take(c)) return end_of_file();
  } else {
    return bad();
  }
  // The exponent digits.
  while (c == ' ') {
    if (!col.left()) return bad();
    if (!col.take(c)) return end_of_file();
  }
  if (!is_digit(c)) return bad();
  long long exponent = c - '0';
  while (col.left()) {
    if (!col.take(c)) return end_of_file();
    if (is_digit(c)) {
      exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
    } else if (c != ' ') {
      if (c != kEndOfRecord && c != ',') return bad();
      break;
    }
  }
  adjust += exponent_negative ? -exponent : exponent;
  return value();
}

std::string write_fixed(float v, int w, int d) {
  double x = v;
  bool minus = x < 0;
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%#.*f", d, std::fabs(x));
  std::string text = buffer;
  if (text.find_first_not_of("0.") == std::string::npos) minus = false;
  std::size_t need = text.size() + (minus ? 1 : 0);
  std::size_t width = static_cast<std::size_t>(w);
  if (need > width) {
    if (text[0] != '0' || need != width + 1) return std::string(width, '*');
    text.erase(0, 1);
    --need;
  }
  return std::string(width - need, ' ') + (minus ? "-" : "") + text;
}

std::string text_mode(std::string_view file) {
  file = file.substr(0, file.find('\x1a'));
  std::string out;
  out.reserve(file.size());
  for (std::size_t k = 0;;) {
    std::size_t crlf = file.find("\r\n", k);
    out.append(file.substr(k, crlf - k));
    if (crlf == std::string_view::npos) return out;
    k = crlf + 1;
  }
}

ComponentRead read_component(std::string_view file) {
  const std::string text = text_mode(file);
  std::size_t pos = 0;
  bool end_of_file = false;  // a read asked for a byte and there was none
  ComponentRead r;

  // The current record and whether a line feed ends it.
  auto record = [&](bool& has_line_feed) {
    std::size_t lf = text.find('\n', pos);
    has_line_feed = lf != std::string::npos;
    return std::string_view(text).substr(pos, (has_line_feed ? lf : text.size()) - pos);
  };
  auto finish_record = [&](bool has_line_feed, std::size_t length) {
    if (has_line_feed) {
      pos += length + 1;
    } else {
      pos = text.size();
      end_of_file = true;
    }
  };
  auto skip = [&](int n) {
    for (int k = 0; k < n; ++k) {
      if (end_of_file) return r.fatal = "read start: end of file\n", false;
      bool lf;
      std::size_t length = record(lf).size();
      finish_record(lf, length);
    }
    return true;
  };

  if (!skip(layout::kTitleRecord - 1)) return r;
  // The title: its columns, blanks past the record's end.
  if (end_of_file) return r.fatal = "read start: end of file\n", r;
  bool lf;
  std::string_view title = record(lf);
  if (title.size() < layout::kTitleColumns && !lf) return r.fatal = "fmt: end of file\n", r;
  r.has_title = true;
  r.title = std::string(title.substr(0, layout::kTitleColumns));
  r.title.resize(layout::kTitleColumns, ' ');
  finish_record(lf, title.size());
  if (!skip(layout::kHeaderRecords - layout::kTitleRecord)) return r;

  // Data records, eight fields each, until the end of the file.
  for (;;) {
    std::size_t in = layout::kFieldsPerRecord * static_cast<std::size_t>(r.records);
    if (in + 1 > layout::kBufferSamples) {
      // The buffer is full; anything left to read would not fit.
      r.overfull = pos < text.size();
      return r;
    }
    if (end_of_file) return r;
    std::string_view line = record(lf);
    RecordEnd end = lf ? RecordEnd::kLineFeed : RecordEnd::kEndOfFile;
    std::size_t column = 0;
    for (int j = 0; j < layout::kFieldsPerRecord; ++j) {
      RealField f = model::read_real(line.substr(std::min(column, line.size())), end, layout::kFieldWidth, 4);
      column += f.used;
      if (f.outcome == FieldOutcome::kEndOfFile) return r;
      if (f.outcome == FieldOutcome::kBadCharacter) return r.fatal = "fmt: read unexpected character\n", r;
      r.samples.push_back(f.value);
    }
    finish_record(lf, line.size());
    if (!lf) return r;
    ++r.records;
  }
}

}  // namespace model
