#include "record_folder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "record_file.h"
#include "split_error.h"

using namespace kvb_split;

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
    comp.samples = read_samples(read_text(path), count->get<std::size_t>(), escaped(path));
  }
  return r;
}
