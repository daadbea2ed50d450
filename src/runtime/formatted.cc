// Formatted record statements: a format drives the items of one record.
// A read looks at the current record through the unit's reader and consumes
// it at the end; a write builds the record in memory and hands it over whole.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fatal.h"
#include "field.h"
#include "format.h"
#include "io.h"
#include "unit.h"

namespace kvb {
namespace {

// Parsed formats. A format text is a constant of the program: it is parsed
// the first time and found again by its address (the text confirms a new
// address; the last one used is trusted).
struct ParsedFormat {
  const char* address;
  std::string text;
  Format format;
};
const ParsedFormat* last_format = nullptr;

[[gnu::noinline]] const Format& look_up(const char* text) {
  static std::vector<ParsedFormat> cache;
  for (const ParsedFormat& e : cache) {
    if (e.address == text && e.text == text) {
      last_format = &e;
      return e.format;
    }
  }
  std::optional<Format> format = parse_format(text);
  if (!format) io_error(100, "fmt");
  last_format = nullptr;  // the cache may move
  cache.push_back({text, text, std::move(*format)});
  return cache.back().format;
}

const Format& parsed(const char* text) {
  return last_format && last_format->address == text ? last_format->format : look_up(text);
}

// The record being written. It grows to the longest record and stays.
class Line {
 public:
  char* extend(std::size_t n) {
    if (size_ + n > capacity_) grow(size_ + n);
    char* p = bytes_.get() + size_;
    size_ += n;
    return p;
  }
  void append(std::string_view s) {
    if (s.size() == 1) *extend(1) = s[0];  // the usual literal: one comma
    else if (!s.empty()) std::memcpy(extend(s.size()), s.data(), s.size());
  }
  void clear() { size_ = 0; }
  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  void grow(std::size_t need) {
    capacity_ = std::max<std::size_t>(2 * need, 128);
    auto bigger = std::make_unique<char[]>(capacity_);
    if (size_) std::memcpy(bigger.get(), bytes_.get(), size_);
    bytes_ = std::move(bigger);
  }

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

struct Statement {
  Unit* unit = nullptr;
  const Format* format = nullptr;
  const EditDescriptor* next = nullptr;  // the next edit descriptor
  const EditDescriptor* last = nullptr;  // past the format's last one
  bool end_branch = false;
  bool writing = false;
  // Reading: the current record, and the column reached in it.
  RecordView record;
  std::size_t column = 0;
  // Writing: the record built so far.
  Line line;
} st;

// The next data descriptor; when writing, the literals before it are put out.
[[gnu::always_inline]] inline const EditDescriptor& next_descriptor() {
  // More items than the format has descriptors: this run-time does not
  // start the format again.
  if (st.next == st.last) io_error(100, "fmt");
  const EditDescriptor& e = *st.next++;
  if (st.writing && !e.before.empty()) st.line.append(e.before);
  return e;
}

// Reading: the bytes of the record from the current column on, at least w
// of them where the record has them.
[[gnu::always_inline]] inline std::string_view rest_of_record(std::size_t w) {
  if (st.record.more && st.column + w > st.record.bytes.size())
    st.record = st.unit->reader().peek(st.column + w);
  return st.record.bytes.substr(std::min(st.column, st.record.bytes.size()));
}

RecordEnd record_end() { return st.record.more ? RecordEnd::kLineFeed : st.record.end; }

// The end of the file met inside a read.
int end_of_file(const char* context) {
  st.unit->end_of_file = true;
  if (!st.end_branch) io_error(kEndOfFileError, context);
  end_statement(true);
  return -1;
}

int start(const cilist& a, Direction direction) {
  st.unit = &begin_statement(a.unit, direction, a.format);
  st.format = &parsed(a.format);
  st.next = st.format->items.data();
  st.last = st.next + st.format->items.size();
  st.end_branch = a.end;
  st.writing = direction == Direction::kWrite;
  st.column = 0;
  st.line.clear();
  return 0;
}

}  // namespace
}  // namespace kvb

using namespace kvb;

int s_rsfe(const cilist& a) {
  start(a, Direction::kRead);
  if (st.unit->end_of_file) return end_of_file("read start");
  st.record = st.unit->reader().peek(st.format->columns);
  return 0;
}

int s_wsfe(const cilist& a) { return start(a, Direction::kWrite); }

int do_fio(float& item) {
  const EditDescriptor& e = next_descriptor();
  if (st.writing) {
    if (e.code != 'F') io_error(117, "fmt");
    write_fixed(item, e.w, e.d, st.line.extend(static_cast<std::size_t>(e.w)));
    return 0;
  }
  if (e.code == 'A') io_error(117, "fmt");
  RealField field = read_real(rest_of_record(static_cast<std::size_t>(e.w)), record_end(), e.w, e.d);
  st.column += field.used;
  if (field.outcome == FieldOutcome::kEndOfFile) return end_of_file("fmt");
  if (field.outcome == FieldOutcome::kBadCharacter) io_error(115, "fmt");
  item = field.value;
  return 0;
}

int do_fio(char* text, std::size_t length) {
  const EditDescriptor& e = next_descriptor();
  if (e.code != 'A') io_error(117, "fmt");
  std::size_t w = e.w ? static_cast<std::size_t>(e.w) : length;
  if (st.writing) {
    // Right-justified in w columns, or its first w characters.
    if (w > length) std::memset(st.line.extend(w - length), ' ', w - length);
    st.line.append({text, std::min(w, length)});
    return 0;
  }
  // w columns of the record, blank past its end; the end of the file
  // before they are filled fails the read and stores nothing.
  std::string_view rest = rest_of_record(w);
  std::size_t taken = std::min(w, rest.size());
  st.column += taken;
  if (taken < w && record_end() == RecordEnd::kEndOfFile) return end_of_file("fmt");
  // The item gets the last `length` of the w columns, or all w and blanks.
  std::size_t skip = w > length ? w - length : 0;
  for (std::size_t k = 0; k < length; ++k) {
    std::size_t col = skip + k;
    text[k] = col < taken ? rest[col] : ' ';
  }
  return 0;
}

int e_rsfe() {
  RecordReader& reader = st.unit->reader();
  if (!st.record.more && st.record.end == RecordEnd::kLineFeed) {
    // The whole record and its line feed are in view already.
    reader.consume(st.record.bytes.size() + 1);
  } else if (!reader.skip_record()) {
    // The file ended before the record's line feed: the values are stored,
    // the next read meets the end at its start.
    st.unit->end_of_file = true;
    if (st.end_branch) {
      end_statement(true);
      return -1;
    }
  }
  end_statement();
  return 0;
}

int e_wsfe() {
  // The literals up to the next field, or to the end of the format.
  st.line.append(st.next < st.last ? st.next->before : st.format->trailing);
  st.line.append("\n");
  write_record(*st.unit, st.line.view());
  end_statement();
  return 0;
}
