// Synthetic component files: header records with the title on record 6, then
// data records of eight 10-column fields, with LF or CR LF line ends.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "component_layout.h"

namespace test_support {

using layout::kFieldsPerRecord;
using layout::kFieldWidth;
using layout::kHeaderRecords;
using layout::kTitleRecord;

// The text right-justified in 10 columns; longer text is kept whole.
std::string field10(std::string_view text);

// A number of thousandths as a decimal text with three decimals:
// 0 -> "0.000", -12345 -> "-12.345", 7 -> "0.007".
std::string milli_text(long milli);

// Builds the bytes of one component file, record by record.
class ComponentFile {
 public:
  explicit ComponentFile(std::string title = "SYNTHETIC COMPONENT", std::string eol = "\n");

  // `count` header records ended by the line end; record 6 is the title.
  ComponentFile& header(int count = kHeaderRecords);
  // One record of exactly these bytes, then the line end.
  ComponentFile& record(std::string_view line);
  // One record of the texts, each right-justified in its own 10 columns.
  ComponentFile& fields(std::initializer_list<std::string_view> texts);
  // Records of eight values each, written "%10.4f" (or "%10.3E" when wider);
  // a last record may be short.
  ComponentFile& values(const std::vector<double>& samples);
  // Records of eight samples given in thousandths, written with three decimals
  // exactly (milli_text), so each sample reads back as that decimal.
  ComponentFile& milli(const std::vector<long>& samples);
  // Bytes appended as they are: no line end added.
  ComponentFile& raw(std::string_view bytes);

  const std::string& bytes() const { return bytes_; }

 private:
  ComponentFile& records_of(const std::vector<std::string>& field_texts);

  std::string title_;
  std::string eol_;
  std::string bytes_;
};

}  // namespace test_support
