#include "console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kvb {
namespace {

TEST(RealText, NineSignificantDigitsAlwaysWithAPoint) {
  struct Case {
    const char* expected;
    float value;
  } cases[] = {
      {"  0.00499999989", 0.005f},
      {"  1.", 1.0f},
      {"  100000.", 100000.0f},
      {"  9.99999975E-006", 1e-5f},
      {"  9.99999975E-005", 1e-4f},
      {"  123456792.", 123456789.0f},
      {"  1.E+010", 1e10f},
      {" -2.5", -2.5f},
      {"  0.", 0.0f},
      {"  0.", -0.0f},
      {"  0.100000001", 0.1f},
      {"  0.5", 0.5f},
      {"  0.00100000005", 0.001f},
      {"  1.17549435E-038", 1.17549435e-38f},
      {"  INF", INFINITY},
      {" -INF", -INFINITY},
      {"  NAN", NAN},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, real_text(c.value)) << c.value;
}

// Collects the lines a message hands over.
struct Lines {
  std::string text;
  int handed_over = 0;
  static void sink(void* self, std::string_view line) {
    auto* l = static_cast<Lines*>(self);
    l->text += line;
    ++l->handed_over;
  }
};

TEST(ListLine, TheProgramsMessages) {
  Lines out;
  ListLine line(Lines::sink, &out);
  line.end();
  line.character(" assumed dt =");
  line.real(0.005f);
  line.end();
  line.character("i,in=");
  line.integer(0);
  line.integer(1);
  line.end();
  line.character("nt=");
  line.integer(-8);
  line.end();
  line.character(std::string(80, ' '));
  line.end();
  line.character(std::string("a\0b", 3));
  line.end();
  EXPECT_EQ("\n  assumed dt =  0.00499999989\n i,in= 0 1\n nt= -8\n " + std::string(80, ' ') + "\n" +
                std::string(" a\0b\n", 5),
            out.text);
  EXPECT_EQ(6, out.handed_over);
}

TEST(ListLine, BreaksBeforeAnItemThatReachesTheLimit) {
  struct Case {
    std::size_t before;                // characters already on the line (a character item of before-1)
    std::string expected_second_line;  // empty: no break
    enum { kText50, kInt4, kReal15 } item;
  } cases[] = {
      {30, " " + std::string(50, 'x'), Case::kText50},
      {29, "", Case::kText50},
      {76, " 1234", Case::kInt4},
      {75, "", Case::kInt4},
      {65, "  0.00499999989", Case::kReal15},
      {64, "", Case::kReal15},
  };
  for (const Case& c : cases) {
    Lines out;
    ListLine line(Lines::sink, &out);
    line.character(std::string(c.before - 1, '.'));
    if (c.item == Case::kText50) line.character(std::string(50, 'x'));
    if (c.item == Case::kInt4) line.integer(1234);
    if (c.item == Case::kReal15) line.real(0.005f);
    line.end();
    std::string first(c.before, '.');
    first[0] = ' ';
    if (c.expected_second_line.empty()) {
      EXPECT_EQ(1, out.handed_over) << c.before;
      EXPECT_EQ(first, out.text.substr(0, first.size()));
    } else {
      EXPECT_EQ(first + "\n" + c.expected_second_line + "\n", out.text) << c.before;
    }
  }
}

TEST(ListLine, IntegerSignIsNotMeasured) {
  Lines out;
  ListLine line(Lines::sink, &out);
  line.character(std::string(64, '.'));  // position 65
  line.integer(-2147483647 - 1);         // 10 digits: 65 + 10 reaches 75, stays
  line.integer(1234);                    // 77 + 4 would reach 80: breaks
  line.end();
  EXPECT_EQ(" " + std::string(64, '.') + " -2147483648\n 1234\n", out.text);
}

}  // namespace
}  // namespace kvb
