// Formatted record statements: a format drives the items of one record.
// A read looks at the current record through the unit's reader and consumes
// it at the end; a write builds the record in memory and hands it over whole.
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

// Parsed formats by text; a run uses a handful, each many times.
const Format& parsed(const char* text) {
  static std::vector<std::pair<std::string, Format>> cache;
  for (const auto& [key, format] : cache)
    if (key == text) return format;
  std::optional<Format> format = parse_format(text);
  if (!format) io_error(100, "fmt");
  cache.emplace_back(text, std::move(*format));
  return cache.back().second;
}

struct Statement {
  Unit* unit = nullptr;
  const Format* format = nullptr;
  std::size_t next = 0;  // the next edit descriptor
  bool end_branch = false;
  bool writing = false;
  // Reading: the current record, and the column reached in it.
  RecordView record;
  std::size_t column = 0;
  // Writing: the record built so far.
  std::string line;
} st;

// Writing: puts out the literals up to the next data descriptor.
void put_literals() {
  const auto& items = st.format->items;
  while (st.next < items.size() && items[st.next].code == '\'') st.line += items[st.next++].literal;
}

// The next data descriptor, literals passed over (and put out when writing).
const EditDescriptor& next_descriptor(bool writing) {
  const auto& items = st.format->items;
  if (writing) put_literals();
  while (st.next < items.size() && items[st.next].code == '\'') ++st.next;
  // More items than the format has descriptors: this run-time does not
  // start the format again.
  if (st.next == items.size()) io_error(100, "fmt");
  return items[st.next++];
}

// Reading: the bytes of the record from the current column on, at least w
// of them where the record has them.
std::string_view rest_of_record(std::size_t w) {
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
  st.next = 0;
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
  const EditDescriptor& e = next_descriptor(st.writing);
  if (e.code != 'F' && (st.writing || e.code != 'E')) io_error(117, "fmt");
  if (st.writing) {
    std::size_t at = st.line.size();
    st.line.resize(at + static_cast<std::size_t>(e.w));
    write_fixed(item, e.w, e.d, &st.line[at]);
    return 0;
  }
  RealField field = read_real(rest_of_record(static_cast<std::size_t>(e.w)), record_end(), e.w, e.d);
  st.column += field.used;
  if (field.outcome == FieldOutcome::kEndOfFile) return end_of_file("fmt");
  if (field.outcome == FieldOutcome::kBadCharacter) io_error(115, "fmt");
  item = field.value;
  return 0;
}

int do_fio(char* text, std::size_t length) {
  const EditDescriptor& e = next_descriptor(st.writing);
  if (e.code != 'A') io_error(117, "fmt");
  std::size_t w = e.w ? static_cast<std::size_t>(e.w) : length;
  if (st.writing) {
    // Right-justified in w columns, or its first w characters.
    if (w > length) st.line.append(w - length, ' ');
    st.line.append(text, std::min(w, length));
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
  if (!st.unit->reader().skip_record()) {
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
  put_literals();
  st.line += '\n';
  write_record(*st.unit, st.line);
  end_statement();
  return 0;
}
