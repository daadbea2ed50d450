// The CSV's rows as kvb-trace reads them, and the reduction that keeps every
// pixel column's extremes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "trace.h"

namespace {

using kvb::trace::parse;

TEST(Trace, ParsesReadKvbRowsAndRefusesOthers) {
  const std::string row = "  0.005,    12.345,    -0.500,     0.000\n";
  struct Case {
    const char* what;
    std::string text;
    long bad;  // 0: read, rows rows
    std::size_t rows;
  } cases[] = {
      {"a row", row, 0, 1},
      {"CR LF, and a last line without its end", "  0.005,    12.345,    -0.500,     0.000\r\n" + row.substr(0, 40), 0,
       2},
      {"asterisks and a value without its leading zero", "  0.000,**********,     -.250,  1234.000\n", 0, 1},
      {"two decimals", row + "  0.010,     1.50,     0.000,     0.000\n", 2, 0},
      {"an exponent", "  0.000,     1e3,     0.000,     0.000\n", 1, 0},
      {"three fields", "  0.000,     1.000,     0.000\n", 1, 0},
      {"five fields", "  0.000,     1.000,     0.000,     0.000,     0.000\n", 1, 0},
      {"an empty line", row + "\n" + row, 2, 0},
      {"a lone CR", "  0.000,     1.000,\r    0.000,     0.000\n", 1, 0},
      {"a blank after a value", "  0.000,     1.000 ,    0.000,     0.000\n", 1, 0},
      {"a blank after the sign", "  0.000,    - 1.000,    0.000,     0.000\n", 1, 0},
      {"blanks before asterisks", "  0.000,  ********,    0.000,     0.000\n", 1, 0},
      {"a CR at the very end", row.substr(0, 40) + "\r", 1, 0},
      {"more digits than a double holds exactly", "  0.000,13333333333333.001,     0.000,     0.000\n", 1, 0},
  };
  for (const Case& c : cases) {
    long bad = 0;
    const auto csv = parse(c.text, bad);
    EXPECT_EQ(bad, c.bad) << c.what;
    EXPECT_EQ(csv ? csv->time.size() : 0, c.rows) << c.what;
  }
  long bad = 0;
  const auto odd = parse("  0.000,**********,     -.250,  1234.000\n", bad);
  ASSERT_TRUE(odd);
  EXPECT_TRUE(std::isnan(odd->value[0][0]));
  EXPECT_EQ(odd->value[1][0], -0.25);
  EXPECT_EQ(odd->value[2][0], 1234.0);
}

// Whole thousandths over 1000 are the double nearest the decimal: what strtod makes of it.
TEST(Trace, ValuesAreTheNearestDoubles) {
  for (long k = -9999999; k <= 9999999; k += 997) {
    char field[32];
    std::snprintf(field, sizeof field, "%10.3f", double(k) / 1000);
    long bad = 0;
    const auto csv = parse(std::string("  0.000,") + field + ",     0.000,     0.000\n", bad);
    ASSERT_TRUE(csv) << field;
    EXPECT_EQ(csv->value[0][0], std::strtod(field, nullptr)) << field;
  }
}

TEST(Trace, ReductionKeepsEveryRunsExtremesInOrder) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 100);
  const std::size_t columns = 50;
  for (const std::size_t n : {std::size_t(3), std::size_t(100), std::size_t(101), std::size_t(5003)}) {
    std::vector<double> time(n), value(n);
    for (std::size_t k = 0; k < n; ++k) time[k] = 0.005 * double(k), value[k] = noise(random);
    if (n > 100) value[n / 3] = std::nan("");  // a value too wide: left out
    const auto out = kvb::trace::reduced(time, value, columns);
    std::vector<double> t, v;  // the samples drawn
    for (std::size_t k = 0; k < n; ++k) {
      if (!std::isnan(value[k])) t.push_back(time[k]), v.push_back(value[k]);
    }
    const std::size_t m = v.size();
    ASSERT_FALSE(out.time.empty());
    EXPECT_LE(out.time.size(), std::min(m, 2 * columns + 2)) << n;
    EXPECT_EQ(out.time.front(), t.front()) << n;
    EXPECT_EQ(out.time.back(), t.back()) << n;
    for (std::size_t k = 1; k < out.time.size(); ++k) ASSERT_LT(out.time[k - 1], out.time[k]) << n;
    const std::size_t runs = m <= 2 * columns ? m : columns;
    for (std::size_t c = 0; c < runs; ++c) {  // each run's least and greatest sample is a point drawn in it
      const std::size_t first = c * m / runs, end = (c + 1) * m / runs;
      double low = v[first], high = v[first];
      for (std::size_t j = first; j < end; ++j) low = std::min(low, v[j]), high = std::max(high, v[j]);
      for (const double extreme : {low, high}) {
        bool drawn = false;
        for (std::size_t i = 0; i < out.time.size(); ++i)
          drawn |= out.value[i] == extreme && out.time[i] >= t[first] && out.time[i] <= t[end - 1];
        EXPECT_TRUE(drawn) << "n " << n << ", run " << c;
      }
    }
  }
}

TEST(Trace, PeakIsTheFirstLargestMagnitude) {
  const double nan = std::nan("");
  struct Case {
    std::vector<double> value;
    long at;  // -1: none
  } cases[] = {
      {{0, 0, 0}, -1}, {{nan, 0}, -1}, {{}, -1}, {{0, -3, 3}, 1}, {{1, nan, -2, 2}, 2}, {{-0.0, 5}, 1},
  };
  for (const Case& c : cases) {
    const auto k = kvb::trace::peak(c.value);
    EXPECT_EQ(k ? long(*k) : -1, c.at);
  }
}

}  // namespace
