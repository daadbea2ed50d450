#include "format.h"

#include <gtest/gtest.h>

#include <string>

namespace kvb {
namespace {

// A parsed format written back compactly: "E10.4 E10.4 ... ',' F10.3".
std::string shape(const char* text) {
  auto format = parse_format(text);
  if (!format) return "error";
  std::string s;
  auto word = [&s](const std::string& w) { s.append(s.empty() ? "" : " ").append(w); };
  for (const EditDescriptor& e : format->items) {
    if (!e.before.empty()) word("'" + e.before + "'");
    std::string d(1, e.code);
    d += std::to_string(e.w);
    if (e.code != 'A') d += "." + std::to_string(e.d);
    word(d);
  }
  if (!format->trailing.empty()) word("'" + format->trailing + "'");
  return s;
}

TEST(ParseFormat, TheProgramsFormats) {
  EXPECT_EQ("A80", shape("(a80)"));
  EXPECT_EQ("E10.4 E10.4 E10.4 E10.4 E10.4 E10.4 E10.4 E10.4", shape("(8E10.4)"));
  EXPECT_EQ("F7.3 ',' F10.3 ',' F10.3 ',' F10.3", shape("(F7.3,3(\x02,\x02,F10.3))"));
  EXPECT_EQ(80u, parse_format("(8E10.4)")->columns);
}

TEST(ParseFormat, LiteralsGroupsAndBlanks) {
  struct Case {
    const char* expected;
    const char* text;
  } cases[] = {
      {"F7.3 ',' F10.3 ',' F10.3 ',' F10.3", "(F7.3,3(',',F10.3))"},
      {"F7.3 ',' F10.3 ',' F10.3 ',' F10.3", "(F7.3,3(\",\",F10.3))"},
      {"'it's'' A0", "('it''s''', A)"},
      {"'a\"b' A3", "(\"a\"\"b\"a3)"},
      {"E10.4 F5.1 E10.4 F5.1", "( 2 ( e 10 . 4 , f5.1 ) )"},
      {"A1 A2 A1 A2 A1 A2 A1 A2", "(2(2(A1,A2)))"},
      {"F7.3", "(F7.3) anything after the format"},
      {"", "()"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, shape(c.text)) << c.text;
}

TEST(ParseFormat, Rejects) {
  for (const char* text : {"", "8E10.4", "(8E10.4", "(E10)", "(F.3)", "(E0.4)", "(X)", "(3'a')", "('open", "(0A1)",
                           "(E256.1)", "(9999(9999(A1)))", "((((((((((((((((((A))))))))))))))))))"}) {
    EXPECT_EQ("error", shape(text)) << text;
  }
}

TEST(FormatTextLength, UpToTheClosingParenthesis) {
  EXPECT_EQ(5u, format_text_length("(a80)"));
  EXPECT_EQ(8u, format_text_length("(8E10.4)   "));
  EXPECT_EQ(19u, format_text_length("(F7.3,3(\x02,\x02,F10.3))"));
  EXPECT_EQ(8u, format_text_length("(')',A1)xyz"));  // a parenthesis inside a literal does not count
  EXPECT_EQ(6u, format_text_length("(A1,(A"));       // never closed: the whole text
}

}  // namespace
}  // namespace kvb
