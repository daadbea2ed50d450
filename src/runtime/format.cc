// Format text -> edit descriptors.
#include "format.h"

#include <cctype>

namespace kvb {
namespace {

constexpr std::size_t kMaxItems = 4096;  // edit descriptors after expansion
constexpr int kMaxDepth = 16;            // groups within groups

bool is_delimiter(char c) { return c == '\'' || c == '"' || c == '\x02'; }

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Format> parse() {
    std::vector<EditDescriptor> flat;  // literals as items of their own
    if (next() != '(' || !group(flat)) return std::nullopt;
    Format format;
    for (EditDescriptor& e : flat) {
      if (e.code == '\'') {
        format.trailing += e.before;
        continue;
      }
      e.before = std::move(format.trailing);
      format.trailing.clear();
      format.columns += static_cast<std::size_t>(e.w);
      format.items.push_back(std::move(e));
    }
    return format;
  }

 private:
  // The next character that is not a blank; 0 at the end of the text.
  char next() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    return pos_ < text_.size() ? text_[pos_++] : '\0';
  }
  char peek() {
    std::size_t save = pos_;
    char c = next();
    pos_ = save;
    return c;
  }
  // A whole number of at most kMaxWidth; -1 when there is none or it is larger.
  int number() {
    if (!is_digit(peek())) return -1;
    int n = 0;
    while (is_digit(peek())) {
      n = n * 10 + (next() - '0');
      if (n > kMaxWidth) return -1;
    }
    return n;
  }

  // The items of a group up to its closing parenthesis, appended to `out`.
  bool group(std::vector<EditDescriptor>& out) {
    for (;;) {
      char c = peek();
      if (c == ')') return next(), true;
      if (c == ',') {
        next();
        continue;
      }
      if (c == '\0') return false;
      int repeat = 1;
      if (is_digit(c)) {
        repeat = number();
        if (repeat < 1) return false;
      }
      std::vector<EditDescriptor> one;
      if (!item(one, repeat != 1)) return false;
      if (one.size() * static_cast<std::size_t>(repeat) + out.size() > kMaxItems) return false;
      for (int r = 0; r < repeat; ++r) out.insert(out.end(), one.begin(), one.end());
    }
  }

  bool item(std::vector<EditDescriptor>& out, bool repeated) {
    char c = next();
    if (c == '(') {
      if (++depth_ > kMaxDepth) return false;
      bool ok = group(out);
      --depth_;
      return ok;
    }
    if (is_delimiter(c)) return !repeated && literal(c, out);
    char code = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (code == 'A') {
      int w = is_digit(peek()) ? number() : 0;
      if (w < 0) return false;
      out.push_back({'A', w, 0, {}});
      return true;
    }
    if (code == 'E' || code == 'F') {
      int w = number();
      if (w < 1 || next() != '.') return false;
      int d = number();
      if (d < 0) return false;
      out.push_back({code, w, d, {}});
      return true;
    }
    return false;
  }

  bool literal(char delimiter, std::vector<EditDescriptor>& out) {
    std::string text;
    for (;;) {
      if (pos_ >= text_.size()) return false;
      char c = text_[pos_++];
      if (c == delimiter) {
        if (pos_ < text_.size() && text_[pos_] == delimiter) ++pos_;
        else break;
      }
      text += c;
    }
    out.push_back({'\'', 0, 0, std::move(text)});
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::optional<Format> parse_format(std::string_view text) { return Parser(text).parse(); }

std::size_t format_text_length(std::string_view text) {
  int depth = 0;
  char quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;  // a doubled delimiter reopens at once
    } else if (is_delimiter(c)) {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i + 1;
    }
  }
  return text.size();
}

}  // namespace kvb
