#include "readers/record_folder.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "record/full_record.h"
#include "record/split_error.h"
#include "writers/record_file.h"

using namespace kvb;

namespace {

using nlohmann::ordered_json;

// A number where the record file has one, else nothing.
const ordered_json* at(const ordered_json& doc, const char* pointer) {
  const ordered_json::json_pointer where(pointer);
  return doc.contains(where) ? &doc.at(where) : nullptr;
}

double number_or(const ordered_json& doc, const char* pointer, double otherwise) {
  const ordered_json* v = at(doc, pointer);
  return v && v->is_number() ? v->get<double>() : otherwise;
}

// One 10-column field: blanks round it are ignored, a blank field is zero,
// and a Fortran "D" exponent reads as "E".
bool read_field(std::string_view field, double& value) {
  std::size_t first = field.find_first_not_of(' '), last = field.find_last_not_of(' ');
  if (first == std::string_view::npos) {
    value = 0.0;
    return true;
  }
  std::string text(field.substr(first, last - first + 1));
  for (char& c : text)
    if (c == 'D' || c == 'd') c = 'E';
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

}  // namespace

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MeasureError(escaped(path) + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw MeasureError(escaped(path) + ": cannot be read");
  return bytes;
}

std::vector<double> read_samples(std::string_view bytes, std::size_t samples, const std::string& shown) {
  std::vector<double> out;
  // A record file's count is not trusted with memory: a byte of the file
  // gives eight samples at the most (an empty record).
  out.reserve(std::min(samples, layout::kFieldsPerRecord * bytes.size()));
  std::size_t line_number = 0, pos = 0;
  while (out.size() < samples && pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (++line_number <= static_cast<std::size_t>(layout::kHeaderRecords)) continue;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (int f = 0; f < layout::kFieldsPerRecord && out.size() < samples; ++f) {
      const std::size_t from = static_cast<std::size_t>(f * layout::kFieldWidth);
      double value = 0.0;
      if (from < line.size() && !read_field(line.substr(from, layout::kFieldWidth), value))
        throw MeasureError(shown + ": line " + std::to_string(line_number) + ", field " + std::to_string(f + 1) +
                           ": not a number: \"" + escaped(line.substr(from, layout::kFieldWidth)) + "\"");
      out.push_back(value);
    }
  }
  if (out.size() < samples)
    throw MeasureError(shown + ": " + std::to_string(out.size()) + " samples where " + kRecordFileName + " says " +
                       std::to_string(samples));
  return out;
}

std::array<std::vector<double>, 3> read_full_samples(std::string_view bytes, const std::array<std::size_t, 3>& counts,
                                                     const std::string& shown) {
  std::array<std::vector<double>, 3> out;
  // A count is not trusted with memory: a value takes two bytes at least.
  for (std::size_t c = 0; c < out.size(); ++c) out[c].reserve(std::min(counts[c], bytes.size() / 2));
  const std::size_t rows = std::max({counts[0], counts[1], counts[2]});
  std::size_t pos = bytes.find('\n'), line_number = 1;
  if (bytes.substr(0, pos) != kFullRecordColumns)
    throw MeasureError(shown + ": line 1 is not \"" + std::string(kFullRecordColumns) + "\"");
  for (std::size_t row = 0; row < rows; ++row) {
    ++line_number;
    if (pos == std::string_view::npos || pos + 1 >= bytes.size())
      throw MeasureError(shown + ": " + std::to_string(row) + " rows where " + kRecordFileName + " says " +
                         std::to_string(rows));
    const std::size_t from = pos + 1;
    pos = bytes.find('\n', from);
    const std::string_view line = bytes.substr(from, pos == std::string_view::npos ? pos : pos - from);
    std::size_t cell = line.find(',');
    for (std::size_t c = 0; c < out.size(); ++c) {
      const std::size_t begin = cell == std::string_view::npos ? line.size() : cell + 1;
      cell = line.find(',', begin);
      const std::string_view text = line.substr(begin, cell == std::string_view::npos ? cell : cell - begin);
      double value = 0.0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw MeasureError(shown + ": line " + std::to_string(line_number) + ", column " + std::to_string(c + 2) +
                           ": not a number: \"" + escaped(text) + "\"");
      if (row < counts[c]) out[c].push_back(value);
    }
  }
  return out;
}

namespace {

// The full record that the record file names: its step, from its first sample.
void read_full_record(RecordFolder& r) {
  const std::string record_path = escaped(r.dir + "/" + kRecordFileName);
  const ordered_json* samples = at(r.record, "/full_record/samples");
  std::array<std::size_t, 3> counts{};
  for (std::size_t c = 0; c < counts.size(); ++c) {
    if (!samples || !samples->is_array() || samples->size() != counts.size() || !(*samples)[c].is_number_unsigned())
      throw MeasureError(record_path + ": full_record.samples is not three sample counts");
    counts[c] = (*samples)[c].get<std::size_t>();
  }
  r.time_step = number_or(r.record, "/full_record/time_step", 0.0);
  if (!(r.time_step > 0.0) || !std::isfinite(r.time_step))
    throw MeasureError(record_path + ": no positive full_record.time_step");
  r.start = 0.0;
  r.full = true;
  const std::string path = r.dir + "/" + kFullRecordFileName;
  std::array<std::vector<double>, 3> parts = read_full_samples(read_text(path), counts, escaped(path));
  for (std::size_t c = 0; c < parts.size(); ++c) r.components[c].samples = std::move(parts[c]);
}

}  // namespace

RecordFolder read_record_folder(const std::string& dir) {
  RecordFolder r;
  r.dir = dir;
  const std::string record_path = dir + "/" + kRecordFileName;
  // A record file is a few levels deep; one nested without end is left unbuilt
  // past kMaxDepth (writing it back would recurse as deep) and refused.
  constexpr int kMaxDepth = 64;
  bool too_deep = false;
  r.record = ordered_json::parse(
      read_text(record_path),
      [&too_deep](int depth, ordered_json::parse_event_t, ordered_json&) {
        too_deep = too_deep || depth > kMaxDepth;
        return depth <= kMaxDepth;
      },
      /*allow_exceptions=*/false);
  if (too_deep) throw MeasureError(escaped(record_path) + ": nested deeper than 64 levels; not a record file");
  if (!r.record.is_object()) throw MeasureError(escaped(record_path) + ": not a JSON object");
  r.time_step = number_or(r.record, "/csv_time_step", 0.0);
  if (!(r.time_step > 0.0) || !std::isfinite(r.time_step))
    throw MeasureError(escaped(record_path) + ": no positive csv_time_step");
  r.start = number_or(r.record, "/done/window/start", 0.0);
  const ordered_json* level = at(r.record, "/processing/level");
  r.uncorrected = level && level->is_string() && level->get<std::string>() == "uncorrected";
  for (std::size_t c = 0; c < layout::kComponents.size(); ++c) {
    Component& comp = r.components[c];
    comp.name = layout::kComponents[c];
    const std::string file = layout::kNames[c], path = dir + "/" + file;
    const std::string where = "/components/" + std::to_string(c);
    const ordered_json* count = at(r.record, (where + "/samples").c_str());
    if (!count || !count->is_number_unsigned())
      throw MeasureError(escaped(record_path) + ": no sample count for " + file);
    const ordered_json* zeros = at(r.record, (where + "/zeros").c_str());
    comp.zeros = zeros && zeros->is_boolean() && zeros->get<bool>();
    if (!at(r.record, "/full_record/file"))
      comp.samples = read_samples(read_text(path), count->get<std::size_t>(), escaped(path));
  }
  if (at(r.record, "/full_record/file")) read_full_record(r);
  return r;
}
