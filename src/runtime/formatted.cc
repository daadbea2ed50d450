// Formatted record statements: a compiled format (a plan) drives the items
// of one record. A read looks at the current record through the unit's
// reader and consumes it at the end; a write records its items and edits the
// whole record at the end, straight into the unit's buffer.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "fast_paths.h"
#include "fatal.h"
#include "field.h"
#include "format.h"
#include "io.h"
#include "unit.h"

namespace kvb {
namespace {

// Statement plans. A format text is a constant of the program: it is
// compiled the first time and found again by its address (the text confirms
// a new address; the last one used is trusted).
struct Plan {
  const char* address;
  std::string text;
  Format format;
  // Eight numeric fields of 10 columns and no literals: a record that holds
  // eight plain fields is converted whole when its read starts.
  bool plain_record = false;
  int decimals[kPlainRecordFields] = {};
  // At most eight F fields that write_fixed_short edits, each after at most
  // one literal byte, and at most one after the last: a written record is
  // edited from the values alone, with these copies of the descriptors.
  bool short_fixed_record = false;
  struct ShortField {
    int w, d;
    int column;  // the field's first column in the record
  } short_fields[kPlainRecordFields] = {};
  // Groups of four such fields from the first on, all Fw.3, that are
  // edited at once (none without AVX2).
  static constexpr std::size_t kGroup = 4;
  std::size_t wide_groups = 0;
  ThousandthsGroup groups[kPlainRecordFields / kGroup] = {};
  // The literal bytes before such fields, where they go; literal_count[n]
  // of them come before field n.
  struct Literal {
    int column;
    char byte;
  } literals[kPlainRecordFields] = {};
  std::size_t literal_count[kPlainRecordFields + 1] = {};
  // Bytes of a written record but for A fields without a width: every
  // literal, every field, the line feed.
  std::size_t record_bytes = 1;
  std::size_t count = 0;  // the format's data descriptors
};
const Plan* last_plan = nullptr;

constexpr std::size_t kPlainRecordColumns = 10 * kPlainRecordFields;
static_assert(kFixedSlack <= OutputBuffer::kSlack, "an edit may spoil the bytes after a record");

Plan compile(const char* text, Format format) {
  Plan plan{text, text, std::move(format)};
  const std::vector<EditDescriptor>& items = plan.format.items;
  plan.plain_record = kFastPaths && items.size() == kPlainRecordFields && plan.format.trailing.empty();
  plan.short_fixed_record = kFastPaths && items.size() <= kPlainRecordFields && plan.format.trailing.size() <= 1;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const EditDescriptor& e = items[k];
    plan.record_bytes += e.before.size() + static_cast<std::size_t>(e.w);
    if (e.code == 'A' || e.w != 10 || !e.before.empty()) plan.plain_record = false;
    if (e.code != 'F' || !short_fixed_field(e.w, e.d) || e.before.size() > 1) plan.short_fixed_record = false;
    if (k < kPlainRecordFields) {
      const auto column = static_cast<int>(plan.record_bytes - 1) - e.w;
      plan.decimals[k] = e.d;
      plan.short_fields[k] = {e.w, e.d, column};
      std::size_t& literals = plan.literal_count[k + 1] = plan.literal_count[k];
      if (e.before.size() == 1) plan.literals[literals++] = {column - 1, e.before[0]};
    }
  }
  plan.count = items.size();
  plan.record_bytes += plan.format.trailing.size();
  if constexpr (kFastPaths) {
    if (!plan.short_fixed_record || !wide_vectors()) return plan;
    for (std::size_t g = 0; (g + 1) * Plan::kGroup <= items.size(); ++g) {
      int w[Plan::kGroup], column[Plan::kGroup];
      char literal[Plan::kGroup];
      for (std::size_t k = 0; k < Plan::kGroup; ++k) {
        const EditDescriptor& e = items[g * Plan::kGroup + k];
        const Plan::ShortField& f = plan.short_fields[g * Plan::kGroup + k];
        if (!thousandths_field(f.w, f.d)) return plan;
        w[k] = f.w;
        column[k] = f.column;
        literal[k] = e.before.empty() ? '\0' : e.before[0];
      }
      plan.groups[g] = thousandths_group(w, column, literal);
      plan.wide_groups = g + 1;
    }
  }
  return plan;
}

[[gnu::noinline]] const Plan& look_up(const char* text) {
  static std::vector<Plan> cache;
  for (const Plan& e : cache) {
    if (e.address == text && e.text == text) {
      last_plan = &e;
      return e;
    }
  }
  std::optional<Format> format = parse_format(text);
  if (!format) io_error(kFormatError, "fmt");
  last_plan = nullptr;  // the cache may move
  cache.push_back(compile(text, std::move(*format)));
  return cache.back();
}

const Plan& planned(const char* text) { return last_plan && last_plan->address == text ? *last_plan : look_up(text); }

// What a write statement's item left for the record: a value, or a text.
struct Slot {
  float value;
  const char* text;
  std::size_t length;
};

struct Statement {
  Unit* unit = nullptr;
  const Plan* plan = nullptr;
  const EditDescriptor* items = nullptr;  // the format's edit descriptors
  std::size_t count = 0;                  // how many
  std::size_t item = 0;                   // the next item's
  bool end_branch = false;
  bool writing = false;
  // Reading: the current record, and the column reached in it.
  RecordView record;
  std::size_t column = 0;
  // Reading a plain record: all its values, converted at the start.
  bool converted = false;
  // Items before these move their value to or from `values` alone: a
  // short F record's write, or a plain record's read.
  std::size_t kept = 0;
  std::size_t ready = 0;
  float values[kPlainRecordFields];
  // Writing: one slot per edit descriptor used, and the bytes of A fields
  // without a width.
  std::vector<Slot> slots;
  std::size_t text_bytes = 0;
} st;

// The next data descriptor.
[[gnu::always_inline]] inline const EditDescriptor& next_descriptor() {
  // More items than the format has descriptors: this run-time does not
  // start the format again.
  if (st.item == st.count) io_error(kFormatError, "fmt");
  return st.items[st.item++];
}

// Reading: the bytes of the record from the current column on, at least w
// of them where the record has them.
[[gnu::always_inline]] inline std::string_view rest_of_record(std::size_t w) {
  if (st.record.more && st.column + w > st.record.bytes.size()) st.record = st.unit->reader().peek(st.column + w);
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
  st.plan = &planned(a.format);
  st.items = st.plan->format.items.data();
  st.count = st.plan->count;
  st.item = 0;
  st.end_branch = a.end;
  st.writing = direction == Direction::kWrite;
  st.column = 0;
  st.converted = false;
  st.kept = st.writing && st.plan->short_fixed_record ? st.count : 0;
  st.ready = 0;
  return 0;
}

char* put_literal(const std::string& text, char* p) {
  if (text.size() == 1) *p++ = text[0];  // the usual literal: one comma
  else if (!text.empty()) p = static_cast<char*>(std::memcpy(p, text.data(), text.size())) + text.size();
  return p;
}

// The literal byte or bytes up to the next field, or to the end of the
// format, and the line feed.
char* end_record(char* p) {
  p = put_literal(st.item < st.count ? st.items[st.item].before : st.plan->format.trailing, p);
  *p++ = '\n';
  return p;
}

// Edits the record of the items recorded so far into p, line feed included;
// returns its end. It may store up to kFixedSlack bytes past that.
char* edit_record(char* p) {
  if constexpr (kFastPaths) {
    if (st.plan->short_fixed_record) {
      // Copied first: a store through p may alias anything.
      const Plan& plan = *st.plan;
      const Plan::ShortField* field = plan.short_fields;
      const std::size_t n = st.item;
      float values[kPlainRecordFields];
      std::memcpy(values, st.values, sizeof values);
      // Each field's columns in turn, spoiling some after them; then the
      // literals between the fields edited one at a time.
      std::size_t k = 0;
      for (std::size_t g = 0; g < plan.wide_groups && k + Plan::kGroup <= n; ++g, k += Plan::kGroup)
        if (!write_thousandths_wide(values + k, plan.groups[g], p)) break;
      const std::size_t first_literal = plan.literal_count[k], last_literal = plan.literal_count[n];
      for (; k < n; ++k) write_fixed_short(values[k], field[k].w, field[k].d, p + field[k].column);
      for (std::size_t l = first_literal; l < last_literal; ++l) p[plan.literals[l].column] = plan.literals[l].byte;
      return end_record(n ? p + field[n - 1].column + field[n - 1].w : p);
    }
  }
  const Slot* slot = st.slots.data();
  for (const EditDescriptor* e = st.items; e < st.items + st.item; ++e, ++slot) {
    p = put_literal(e->before, p);
    if (e->code == 'F') {
      write_fixed(slot->value, e->w, e->d, p);
      p += e->w;
      continue;
    }
    // Right-justified in w columns, or its first w characters.
    std::size_t w = e->w ? static_cast<std::size_t>(e->w) : slot->length;
    if (w > slot->length) p = static_cast<char*>(std::memset(p, ' ', w - slot->length)) + (w - slot->length);
    std::size_t n = std::min(w, slot->length);
    if (n) std::memcpy(p, slot->text, n);
    p += n;
  }
  return end_record(p);
}

}  // namespace
}  // namespace kvb

using namespace kvb;

int s_rsfe(const cilist& a) {
  start(a, Direction::kRead);
  if (st.unit->end_of_file) return end_of_file("read start");
  RecordReader& reader = st.unit->reader();
  if constexpr (kFastPaths) {
    if (st.plan->plain_record) {
      // Fast path of the field-by-field read below: a record of eight plain
      // fields is converted whole here, and each do_fio only stores its value.
      // The read statements' overhead went from some 400 instructions a record
      // to about 60 (callgrind, largest input); fuzz_component checks it
      // against the model. Where the 80 columns are read already there is
      // no need to look for the line feed first: a plain field holds none.
      const char* p = reader.buffered(kPlainRecordColumns);
      const bool peeked = !p;
      if (peeked) {
        st.record = reader.peek(st.plan->format.columns);
        if (st.record.bytes.size() >= kPlainRecordColumns) p = st.record.bytes.data();
      }
      if (p && read_plain_record(p, st.plan->decimals, st.values)) {
        st.converted = true;
        st.ready = st.count;
        return 0;
      }
      if (peeked) return 0;
    }
  }
  st.record = reader.peek(st.plan->format.columns);
  return 0;
}

int s_wsfe(const cilist& a) {
  start(a, Direction::kWrite);
  if (!st.plan->short_fixed_record && st.slots.size() < st.count) {
    try {
      st.slots.resize(st.count);
    } catch (const std::bad_alloc&) { out_of_memory(); }
  }
  st.text_bytes = 0;
  return 0;
}

int do_fio(float& item) {
  // The plan holds the field: the value is kept for the edit, or ready.
  if (st.item < st.kept) {
    st.values[st.item++] = item;
    return 0;
  }
  if (st.item < st.ready) {
    item = st.values[st.item++];
    return 0;
  }
  const EditDescriptor& e = next_descriptor();
  if (st.writing) {
    if (e.code != 'F') io_error(kBadVariableType, "fmt");
    st.slots[st.item - 1].value = item;
    return 0;
  }
  if (e.code == 'A') io_error(kBadVariableType, "fmt");
  RealField field = read_real(rest_of_record(static_cast<std::size_t>(e.w)), record_end(), e.w, e.d);
  st.column += field.used;
  if (field.outcome == FieldOutcome::kEndOfFile) return end_of_file("fmt");
  if (field.outcome == FieldOutcome::kBadCharacter) io_error(kUnexpectedCharacter, "fmt");
  item = field.value;
  return 0;
}

int do_fio(char* text, std::size_t length) {
  const EditDescriptor& e = next_descriptor();
  if (e.code != 'A') io_error(kBadVariableType, "fmt");
  std::size_t w = e.w ? static_cast<std::size_t>(e.w) : length;
  if (st.writing) {
    st.slots[st.item - 1] = {0.0f, text, length};
    if (e.w == 0) st.text_bytes += length;
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
  bool ended = true;  // the record's line feed is consumed
  if (st.converted) {
    st.converted = false;
    reader.consume(kPlainRecordColumns);
    ended = reader.consume_line_feed() || reader.skip_record();
  } else if (!st.record.more && st.record.end == RecordEnd::kLineFeed) {
    // The whole record and its line feed are in view already.
    reader.consume(st.record.bytes.size() + 1);
  } else {
    ended = reader.skip_record();
  }
  if (!ended) {
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
  // The whole record is edited straight into the unit's buffer, and handed
  // over there, as write_record would hand it over: no line object, no
  // copy (the line buffer cost 3.1 M instructions of the largest run).
  // fuzz_write checks the records against the model. A record larger than
  // the buffer, or one for a unit that writes through stdio, is edited apart
  // first.
  std::size_t need = st.plan->record_bytes + st.text_bytes;
  OutputBuffer* out = record_output(*st.unit);
  if (char* p = out ? out->reserve(need) : nullptr) {
    out->commit(static_cast<std::size_t>(edit_record(p) - p));
  } else {
    std::unique_ptr<char[]> apart(new (std::nothrow) char[need + kFixedSlack]);
    if (!apart) out_of_memory();
    char* end = edit_record(apart.get());
    write_record(*st.unit, {apart.get(), static_cast<std::size_t>(end - apart.get())});
  }
  end_statement();
  return 0;
}
