#include "e2e_fixture.h"

#include <algorithm>
#include <filesystem>

#include "expected_csv.h"

namespace e2e {

using test_support::milli_text;

std::vector<std::string> console_lines(const std::array<int, 3>& records, const std::array<std::string, 3>& titles) {
  std::vector<std::string> lines = {
      " Program for Reading CDMG-TYpe Strong Motion Data\n",
      "\n",
      " Enter 1st File Name of 3 Components\n",
      " Enter 2nd File Name of 3 Components\n",
      " Enter 3rd File Name of 3 Components\n",
      "  assumed dt =  0.00499999989\n",
  };
  for (int c = 0; c < 3; ++c) {
    std::string title = titles[static_cast<size_t>(c)].substr(0, layout::kTitleColumns);
    title.resize(layout::kTitleColumns, ' ');
    const int i = records[static_cast<size_t>(c)], per = layout::kFieldsPerRecord;
    lines.push_back(" " + title + "\n");
    lines.push_back(" i,in= " + std::to_string(i) + " " + std::to_string(per * i + 1) + "\n");
    lines.push_back(" nt= " + std::to_string(per * (i - 1)) + "\n");
  }
  lines.push_back("\n");
  lines.push_back(" Enter Output Acceleration File Name (CSV format)\n");
  return lines;
}

std::string console(const std::array<int, 3>& records, size_t lines, const std::array<std::string, 3>& titles) {
  std::vector<std::string> all = console_lines(records, titles);
  std::string text;
  for (size_t k = 0; k < lines && k < all.size(); ++k) text += all[k];
  return text;
}

std::string csv_from_milli(const std::vector<long>& x, const std::vector<long>& y, const std::vector<long>& z, int nt) {
  auto held = [](const std::vector<long>& milli) {
    std::vector<float> column;
    for (long v : milli) column.push_back(test_support::held(milli_text(v)));
    return column;
  };
  return test_support::expected_csv(held(x), held(y), held(z), static_cast<size_t>(nt));
}

std::vector<long> samples(int component, size_t count) {
  // A decaying oscillation plus a little noise, in thousandths of cm/s/s.
  std::vector<long> values(count);
  unsigned long state = 12345UL + 977UL * static_cast<unsigned long>(component);
  long previous = 0;
  for (size_t k = 0; k < count; ++k) {
    state = (state * 1103515245UL + 12345UL) & 0x7fffffffUL;
    const long noise = static_cast<long>(state % 40001UL) - 20000;
    const long swing = (k / 37) % 2 == 0 ? 7 : -7;
    long value = previous / 2 + swing * static_cast<long>(k % 997) * 50 + noise;
    value = std::clamp(value, -999999L, 999999L);
    values[k] = value;
    previous = value;
  }
  return values;
}

void E2e::clear_dir() const {
  for (const std::string& name : dir_.list()) std::filesystem::remove_all(dir_.file(name));
}

std::string E2e::standard(int component, int records, const std::string& eol) const {
  return ComponentFile(kTitles[static_cast<size_t>(component)], eol)
      .header()
      .milli(samples(component, layout::kFieldsPerRecord * static_cast<size_t>(records)))
      .bytes();
}

void E2e::put_standard(const std::array<int, 3>& records) const {
  for (int c = 0; c < 3; ++c) put(c, standard(c, records[static_cast<size_t>(c)]));
}

RunOptions E2e::options(const std::string& stdin_bytes) const {
  return test_support::in_folder(dir_.path(), {READ_KVB}, stdin_bytes);
}

RunResult E2e::run(const std::string& stdin_bytes) const { return test_support::run(options(stdin_bytes)); }

std::vector<std::string> E2e::other_files() const {
  std::vector<std::string> names = dir_.list();
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& name) {
                               return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
                             }),
              names.end());
  return names;
}

std::string E2e::read(const std::string& name) const { return dir_.read(name).value_or("<missing " + name + ">"); }

}  // namespace e2e
