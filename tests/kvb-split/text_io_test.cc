// kvb-split's reading and writing of text: numbers as the fields hold them,
// lines as views of the whole input, and the component field, each against
// the plain way it was once done.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "field_values.h"
#include "readers/line_reader.h"
#include "readers/numbers.h"
#include "text_io_reference.h"
#include "writers/component_file.h"

using namespace kvb;

namespace {

// The same double, the sign of a zero included; both nothing also counts.
bool same(std::optional<double> a, std::optional<double> b) {
  if (!a || !b) return !a && !b;
  return std::memcmp(&*a, &*b, sizeof(double)) == 0;
}

TEST(ParseNumber, AgreesWithTheSyntaxCheckAndFromChars) {
  struct Case {
    const char* field;
    bool number;
  };
  for (const Case& c : std::vector<Case>{
           {"  -.123456", true},
           {"+.5", true},
           {"5.", true},
           {"  -0.000", true},
           {"1.5E+02", true},
           {"1.5e-2", true},
           {"2E3", true},
           {"1e999", false},
           {"1e-999", false},
           {"0e999", true},
           {"4.9e-324", true},
           {"1.5D+02", false},
           {"1.5+02", false},
           {"1E+0005", false},
           {"1e", false},
           {"1e+", false},
           {".", false},
           {"-.", false},
           {"", false},
           {"   ", false},
           {"\t1", false},
           {"1 2", false},
           {"+-1", false},
           {"++1", false},
           {"0x10", false},
           {"inf", false},
           {"nan", false},
           {"1,5", false},
           {"123456789012345", true},
           {"1234567890123456", true},
           {"0.1234567890123456789", true},
           {"9007199254740993", true},
           {"1.7976931348623157e308", true},
           {"999999999.99999999e-22", true},
       }) {
    EXPECT_EQ(c.number, parse_number(c.field).has_value()) << c.field;
    EXPECT_TRUE(same(kvb_test::reference_number(c.field), parse_number(c.field))) << c.field;
  }
  // Texts of digits, points, signs and exponents in any arrangement.
  std::mt19937_64 random(7);
  const char alphabet[] = "0123456789000.-+eE ";
  for (int k = 0; k < 200000; ++k) {
    std::string field(random() % 14, ' ');
    for (char& ch : field) ch = alphabet[random() % (sizeof alphabet - 1)];
    ASSERT_TRUE(same(kvb_test::reference_number(field), parse_number(field))) << '"' << field << '"';
  }
}

// Fixed-point fields of up to eight digits are read as one word: a ninth
// byte, the field's last eight bytes, a non-digit among them, a field too
// short for a word, and texts too long for one.
TEST(ParseNumber, ReadsTheDecimalsOfFixedFieldsAsFromChars) {
  for (const char* field :
       {"  0.123456", " -0.000000", "-9.9999999", "12.3456789", "1.2", "    -.1234", "1234567.89", "12345678.9",
        "0.12345678", "0.123456789", "  1.2345E1", " 1.23 4567", "1.234567:", " 1.23/4567", "1234567890.1234"}) {
    EXPECT_TRUE(same(kvb_test::reference_number(field), parse_number(field))) << field;
  }
  // Longer texts of digits, one point, a sign and a stray character.
  std::mt19937_64 random(13);
  const char alphabet[] = "01234567890123456789/:.- ";
  for (int k = 0; k < 200000; ++k) {
    std::string field(8 + random() % 10, '0');
    for (char& ch : field) ch = alphabet[random() % (sizeof alphabet - 1)];
    field[random() % field.size()] = '.';
    ASSERT_TRUE(same(kvb_test::reference_number(field), parse_number(field))) << '"' << field << '"';
  }
}

// A data line's fields: how many numbers lead it, and whether all of those
// hold a point.
TEST(ParseFields, ReadsTheLeadingNumbersOfALine) {
  struct Case {
    const char* line;
    std::size_t count, read;
    bool points;
    std::vector<double> values;
  };
  for (const Case& c : std::vector<Case>{
           {" -1.000000   2.5E+01-99.999998", 3, 3, true, {-1.0, 25.0, -99.999998}},
           {"  1.000000         3", 2, 2, false, {1.0, 3.0}},
           {"  1.000000       abc  2.000000", 3, 1, true, {1.0}},
           {"       .50", 2, 1, true, {0.5}},  // the second field past the line's end
       }) {
    std::vector<double> values(c.count);
    bool points = true;
    EXPECT_EQ(c.read, parse_fields(c.line, c.count, 10, values.data(), points)) << c.line;
    EXPECT_EQ(c.points, points) << c.line;
    values.resize(c.read);
    EXPECT_EQ(c.values, values) << c.line;
  }
}

TEST(ComponentField, AgreesWithPrintfAndStrtof) {
  std::mt19937_64 random(11);
  for (int k = 0; k < 20000; ++k) {
    const double v = kvb_test::field_value(random);
    ASSERT_EQ(kvb_test::reference_field(v), component_field(v)) << std::hexfloat << v;
  }
}

TEST(LineReader, GivesViewsOfTheTextThatLastTheRead) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
    LineStatus last;
  };
  const std::string long_line(LineReader::kMaxLine, 'x');
  for (const Case& c : std::vector<Case>{
           {"a\r\r\nb\rc\r", {"a", "b\rc"}, LineStatus::kEnd},
           {"\r\x1a", {""}, LineStatus::kEnd},
           {"\x1a\n", {}, LineStatus::kEnd},
           {long_line + "\r\n", {}, LineStatus::kTooLong},  // its CR counts
           {long_line, {long_line}, LineStatus::kEnd},
       }) {
    LineReader reader(c.text);
    std::vector<std::string_view> views;
    std::string_view line;
    LineStatus status;
    while ((status = reader.next(line)) == LineStatus::kLine) views.push_back(line);
    EXPECT_EQ(c.last, status) << c.text;
    EXPECT_EQ(c.lines, std::vector<std::string>(views.begin(), views.end())) << c.text;
  }
}

}  // namespace
