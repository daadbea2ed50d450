#include "component_files.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace test_support {

std::string field10(std::string_view text) {
  std::string field;
  if (text.size() < static_cast<size_t>(kFieldWidth)) field.assign(kFieldWidth - text.size(), ' ');
  field.append(text);
  return field;
}

std::string milli_text(long milli) {
  const long magnitude = std::labs(milli);
  char text[32];
  std::snprintf(text, sizeof text, "%s%ld.%03ld", milli < 0 ? "-" : "", magnitude / 1000, magnitude % 1000);
  return text;
}

ComponentFile::ComponentFile(std::string title, std::string eol) : title_(std::move(title)), eol_(std::move(eol)) {}

ComponentFile& ComponentFile::header(int count) {
  for (int k = 1; k <= count; ++k) {
    if (k == kTitleRecord) {
      record(title_);
    } else {
      // Filler in the manner of an agency header: text, then integer and real headers.
      char line[96];
      if (k < kTitleRecord) {
        std::snprintf(line, sizeof line, "Corrected accelerogram header record %d", k);
      } else if (k < 26) {
        std::snprintf(line, sizeof line, "%8d%8d%8d%8d%8d%8d%8d%8d%8d%8d", k, 0, 1, 2, 3, 4, 5, 6, 7, 8);
      } else {
        std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f%10.4f%10.4f", k * 0.5, 1.25, -2.5, 0.0, 9.75);
      }
      record(line);
    }
  }
  return *this;
}

ComponentFile& ComponentFile::record(std::string_view line) {
  bytes_.append(line);
  bytes_.append(eol_);
  return *this;
}

ComponentFile& ComponentFile::fields(std::initializer_list<std::string_view> texts) {
  std::string line;
  for (std::string_view text : texts) line += field10(text);
  return record(line);
}

ComponentFile& ComponentFile::records_of(const std::vector<std::string>& field_texts) {
  std::string line;
  for (size_t k = 0; k < field_texts.size(); ++k) {
    line += field10(field_texts[k]);
    if ((k + 1) % kFieldsPerRecord == 0 || k + 1 == field_texts.size()) {
      record(line);
      line.clear();
    }
  }
  return *this;
}

ComponentFile& ComponentFile::values(const std::vector<double>& samples) {
  std::vector<std::string> texts;
  for (double value : samples) {
    char text[32];
    int length = std::snprintf(text, sizeof text, "%10.4f", value);
    if (length > kFieldWidth) std::snprintf(text, sizeof text, "%10.3E", value);
    texts.emplace_back(text);
  }
  return records_of(texts);
}

ComponentFile& ComponentFile::milli(const std::vector<long>& samples) {
  std::vector<std::string> texts;
  for (long sample : samples) texts.push_back(milli_text(sample));
  return records_of(texts);
}

ComponentFile& ComponentFile::raw(std::string_view bytes) {
  bytes_.append(bytes);
  return *this;
}

}  // namespace test_support
