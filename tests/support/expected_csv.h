// read-KVB's CSV worked out apart from the program: line i (from 0) holds the
// time i × 0.005 s and the three components' samples as read-KVB holds them
// (in single precision), one F7.3 and three F10.3 fields.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace test_support {

// A sample as read-KVB holds it: the decimal text rounded to double, then to float.
float held(const std::string& text);

// F editing with three decimals in `width` columns: no sign on a value that
// shows as zero, asterisks when it does not fit.
std::string f_edit(float value, int width);

// The CSV of `lines` lines; a sample beyond the end of its column shows as 0.000.
std::string expected_csv(const std::vector<float>& n00, const std::vector<float>& n90, const std::vector<float>& up,
                         std::size_t lines);

}  // namespace test_support
