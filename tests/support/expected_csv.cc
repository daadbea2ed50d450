#include "expected_csv.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace test_support {

float held(const std::string& text) { return static_cast<float>(std::strtod(text.c_str(), nullptr)); }

std::string f_edit(float value, int width) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.3f", std::fabs(static_cast<double>(value)));
  const bool minus = value < 0 && std::strspn(digits, "0.") != std::strlen(digits);
  const std::string text = (minus ? "-" : "") + std::string(digits);
  const std::size_t w = static_cast<std::size_t>(width);
  if (text.size() > w) return std::string(w, '*');
  return std::string(w - text.size(), ' ') + text;
}

std::string expected_csv(const std::vector<float>& n00, const std::vector<float>& n90, const std::vector<float>& up,
                         std::size_t lines) {
  const float dt = 0.005f;
  auto at = [](const std::vector<float>& column, std::size_t i) {
    return f_edit(i < column.size() ? column[i] : 0.0f, 10);
  };
  std::string csv;
  for (std::size_t i = 0; i < lines; ++i) {
    const float t = static_cast<float>(static_cast<double>(i) * static_cast<double>(dt));
    csv += f_edit(t, 7) + "," + at(n00, i) + "," + at(n90, i) + "," + at(up, i) + "\n";
  }
  return csv;
}

}  // namespace test_support
