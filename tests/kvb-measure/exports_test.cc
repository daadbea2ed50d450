// The component files' samples as read, and the exports' fields and names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "component_files.h"
#include "readers/record_folder.h"
#include "writers/exports.h"

namespace {

using test_support::ComponentFile;

TEST(Exports, E15_7Fields) {
  const struct {
    double value;
    const char* field;
  } cases[] = {
      {0.0, "  0.0000000E+00"},    {0.01234567, "  0.1234567E-01"},
      {-1.0, " -0.1000000E+01"},   {9.99999996, "  0.1000000E+02"},  // rounding carries into the exponent
      {1e-100, "  0.1000000E-99"}, {1e-101, "  0.1000000-100"},      // Fortran drops the E of three digits
  };
  for (const auto& c : cases) EXPECT_EQ(e15_7(c.value), c.field) << c.value;
}

// The time column as printf's "%.*f" writes k × step + start, with the step's
// decimals, whichever way it is made (from whole thousandths, or by to_chars).
TEST(Exports, TimeColumnIsPrintfs) {
  const struct {
    double step, start;
    std::size_t rows;
    int decimals;
  } cases[] = {{0.005, 0, 300000, 3}, {0.01, 0, 1000, 2},  {0.02, 0, 1000, 2}, {0.0025, 0, 1000, 4},
               {1.0 / 3, 0, 50, 16},  {5e-05, 0, 1000, 9}, {12.5, 0, 100, 1},  {0.005, 2.5, 1000, 3}};
  for (const auto& c : cases) {
    const std::vector<Component> parts = {{"N00", std::vector<double>(c.rows, 0.0), false}, {}, {}};
    const std::string table = csv_table({parts[0], parts[1], parts[2]}, c.step, c.start, *unit_named("cm/s2"));
    std::size_t at = table.find('\n') + 1;
    for (std::size_t k = 0; k < c.rows; ++k) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%.*f,", c.decimals, c.start + static_cast<double>(k) * c.step);
      ASSERT_EQ(table.compare(at, std::strlen(expected), expected), 0) << c.step << " row " << k;
      at = table.find('\n', at) + 1;
    }
  }
}

TEST(Exports, NamesAndTheOpenSeesLine) {
  Component n00{"N00", {}, false};
  const struct {
    const char* unit;
    double dt;
    const char* file;
    const char* opensees;
  } cases[] = {
      {"g", 0.005, "N00_g_dt0.005.txt", "timeSeries Path 1 -dt 0.005 -filePath N00_g_dt0.005.txt -factor 9.80665"},
      {"m/s2", 0.01, "N00_m_s2_dt0.01.txt", "timeSeries Path 1 -dt 0.01 -filePath N00_m_s2_dt0.01.txt -factor 1"},
      {"cm/s2", 0.0078125, "N00_cm_s2_dt0.0078125.txt",
       "timeSeries Path 1 -dt 0.0078125 -filePath N00_cm_s2_dt0.0078125.txt -factor 0.01"},
  };
  for (const auto& c : cases) {
    const Unit* unit = unit_named(c.unit);
    ASSERT_TRUE(unit) << c.unit;
    EXPECT_EQ(column_file_name(n00, *unit, c.dt), c.file);
    EXPECT_EQ(opensees_line(1, c.file, *unit, c.dt), c.opensees);
  }
  EXPECT_FALSE(unit_named("gal"));
}

TEST(Exports, SamplesReadAsReadKvbReadsThem) {
  const std::string head = ComponentFile().header().bytes();
  const struct {
    const char* what;
    std::string data;
    std::size_t samples;
    std::vector<double> want;
  } cases[] = {
      {"two records, the closing empty line left out",
       "       1.5      -2.5       3.0       4.0       5.0       6.0"
       "       7.0       8.0\n       9.0\n\n",
       9,
       {1.5, -2.5, 3, 4, 5, 6, 7, 8, 9}},
      {"blank fields and a short record read as zeros", "       1.0          \n   2.0\n", 4, {1, 0, 0, 0}},
      {"exponents, D exponents, CR LF", " 3.944E-01  -1.0D+02 -.1234567\r\n", 3, {0.3944, -100, -0.1234567}},
  };
  for (const auto& c : cases) EXPECT_EQ(read_samples(head + c.data, c.samples, "f"), c.want) << c.what;
}

TEST(Exports, SamplesThatAreNotThereFail) {
  const std::string head = ComponentFile().header().bytes();
  const struct {
    std::string data;
    std::size_t samples;
    const char* message;
  } cases[] = {
      {"       1.0\n", 9, "f: 8 samples where KVB-record.json says 9"},
      {"       1.0     1.0.0\n", 2, "f: line 43, field 2: not a number: \"     1.0.0\""},
      {"       nan\n", 1, "f: line 43, field 1: not a number: \"       nan\""},
      {"", 1, "f: 0 samples where KVB-record.json says 1"},
      {"\n", std::size_t{1} << 60, "f: 8 samples where KVB-record.json says 1152921504606846976"},
  };
  for (const auto& c : cases) {
    try {
      read_samples(head + c.data, c.samples, "f");
      ADD_FAILURE() << c.message;
    } catch (const MeasureError& e) { EXPECT_STREQ(e.what(), c.message); }
  }
}

}  // namespace
