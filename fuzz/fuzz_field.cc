// Fuzz target: record bytes through the numeric field read, the eight E10.4
// fields of a data record (column by column, and converted whole), and F
// editing of the values, each compared with the plain model byte for byte.
// Input: byte 0 picks the width w, byte 1 the decimals d, bit 0 of byte 2
// whether the record ends in a line feed (0) or the end of the file (1);
// the rest is the record.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fast_paths.h"
#include "field.h"
#include "model.h"

namespace {

using kvb::FieldOutcome;
using kvb::RealField;
using kvb::RecordEnd;

std::string show(std::string_view bytes) {
  std::string s;
  for (char byte : bytes) {
    auto c = static_cast<unsigned char>(byte);
    char hex[8];
    std::snprintf(hex, sizeof hex, c >= 0x20 && c < 0x7f && c != '\\' ? "%c" : "\\x%02x", c);
    s += hex;
  }
  return '"' + s + '"';
}

std::string show(const RealField& f) {
  char s[96];
  std::snprintf(s, sizeof s, "{outcome %d, value %a, used %zu}", static_cast<int>(f.outcome),
                static_cast<double>(f.value), f.used);
  return s;
}

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "MISMATCH %s\n", what.c_str());
  __builtin_trap();
}

RealField check_field(std::string_view rest, RecordEnd end, int w, int d) {
  RealField got = kvb::read_real(rest, end, w, d);
  RealField want = model::read_real(rest, end, w, d);
  std::string where = "read_real(" + show(rest) + (end == RecordEnd::kLineFeed ? ", LF, " : ", EOF, ") +
                      std::to_string(w) + ", " + std::to_string(d) + "): got " + show(got) + ", want " + show(want);
  if (got.outcome != want.outcome || got.used != want.used || !same_bits(got.value, want.value)) fail(where);
  if (got.used > static_cast<std::size_t>(w) || got.used > rest.size() || std::isnan(got.value)) fail(where);
  if (got.outcome == FieldOutcome::kEndOfFile && end != RecordEnd::kEndOfFile) fail(where);
  return got;
}

void check_fixed(float v, int w, int d) {
  std::vector<char> out(static_cast<std::size_t>(w));  // exactly w bytes: a write past them is caught
  kvb::write_fixed(v, w, d, out.data());
  std::string got(out.data(), out.size());
  std::string want = model::write_fixed(v, w, d);
  char value[64];
  std::snprintf(value, sizeof value, "%a", static_cast<double>(v));
  std::string where = "write_fixed(" + std::string(value) + ", " + std::to_string(w) + ", " + std::to_string(d) +
                      "): got " + show(got) + ", want " + show(want);
  if (got != want) fail(where);
  const char* allowed = std::isfinite(v) ? " 0123456789.-*" : " -*infa";
  if (got.find_first_not_of(allowed) != std::string::npos) fail(where);
  if (kvb::short_fixed_field(w, d)) {
    // The short fields' editing, which may spoil a few bytes past the field.
    std::vector<char> fast(static_cast<std::size_t>(w) + kvb::kFixedSlack);
    kvb::write_fixed_short(v, w, d, fast.data());
    if (std::string(fast.data(), static_cast<std::size_t>(w)) != want) fail("short " + where);
  }
}

// The data read: eight E10.4 fields walked column by column as the statement
// walks them. The statement looks at no more than the first 80 columns; a
// longer record goes on past them. The model reads the whole record.
void check_record(std::string_view record, RecordEnd end) {
  std::string_view view = record.substr(0, 80);
  RecordEnd view_end = record.size() >= 80 ? RecordEnd::kLineFeed : end;
  std::size_t column = 0;
  for (int k = 0; k < 8; ++k) {
    std::string_view rest = view.substr(std::min(column, view.size()));
    RealField got = kvb::read_real(rest, view_end, 10, 4);
    RealField want = model::read_real(record.substr(std::min(column, record.size())), end, 10, 4);
    if (got.outcome != want.outcome || got.used != want.used || !same_bits(got.value, want.value))
      fail("field " + std::to_string(k + 1) + " of " + show(record) + ": got " + show(got) + ", want " + show(want));
    column += got.used;
    if (column > 80) fail("data record " + show(record) + " read past column 80");
    if (got.outcome != FieldOutcome::kValue) return;
    check_fixed(got.value, 10, 3);
  }
}

// A data record converted whole, as a read of eight plain fields starts:
// where it says all eight are plain, each value is the model's for its field.
void check_plain_record(std::string_view record, int d) {
  if (record.size() < 80) return;
  char bytes[80 + 16] = {};  // the 16-byte loads of the last field stay inside
  std::memcpy(bytes, record.data(), 80);
  const int decimals[kvb::kPlainRecordFields] = {d, d, d, d, 4, 4, 4, 4};
  float values[kvb::kPlainRecordFields];
  float narrow[kvb::kPlainRecordFields];
  const bool plain = kvb::read_plain_record(bytes, decimals, values);
  if (plain != kvb::read_plain_record(bytes, decimals, narrow, kvb::Vectors::kNarrow))
    fail("plain record " + show(record.substr(0, 80)) + ": the widest vectors and SSE2 disagree on its fields");
  if (!plain) return;
  if (std::memcmp(values, narrow, sizeof values) != 0)
    fail("plain record " + show(record.substr(0, 80)) + ": the widest vectors and SSE2 disagree on its values");
  for (int k = 0; k < kvb::kPlainRecordFields; ++k) {
    std::string_view field = record.substr(static_cast<std::size_t>(10 * k), 10);
    RealField want = model::read_real(field, RecordEnd::kLineFeed, 10, decimals[k]);
    if (want.outcome != FieldOutcome::kValue || want.used != 10 || !same_bits(values[k], want.value))
      fail("plain record field " + std::to_string(k + 1) + " " + show(field) + " d " + std::to_string(decimals[k]) +
           ": got " + show(RealField{FieldOutcome::kValue, values[k], 10}) + ", want " + show(want));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // Mostly the narrow widths (one pass over the field), now and then wide ones.
  int w = data[0] < 192 ? 1 + data[0] % 24 : 255 - (255 - data[0]) * 4;
  int d = data[1] < 128 ? data[1] % 12 : data[1] < 224 ? data[1] - 128 : 255 - (255 - data[1]) * 5;
  RecordEnd end = (data[2] & 1) ? RecordEnd::kEndOfFile : RecordEnd::kLineFeed;
  std::string_view record(reinterpret_cast<const char*>(data) + 3, size - 3);

  RealField f = check_field(record, end, w, d);
  if (f.outcome == FieldOutcome::kValue) {
    check_fixed(f.value, w, d);
    check_fixed(f.value, 7, 3);
  }
  // Any bit pattern, NaNs and infinities included, through F editing.
  if (record.size() >= 4) {
    float v;
    std::memcpy(&v, record.data(), sizeof v);
    check_fixed(v, w, d);
    check_fixed(v, 10, 3);
  }
  check_record(record, end);
  check_plain_record(record, d);
  return 0;
}
