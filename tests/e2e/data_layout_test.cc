// How the data part of a component file becomes samples and counters: empty
// data parts, trailing empty and unterminated records, components of unequal
// length, and the capacity of a component file.

#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace e2e {
namespace {

using test_support::field10;

TEST_F(E2e, EmptyDataPartWritesNoLine) {
  struct Case {
    std::string label;
    std::string up;  // the third component file
  };
  const std::vector<Case> cases = {
      {"41 header records", ComponentFile(kTitles[2]).header(layout::kHeaderRecords - 1).bytes()},
      {"41 records and an unterminated 42nd",
       ComponentFile(kTitles[2]).header(layout::kHeaderRecords - 1).raw("END OF HEADER").bytes()},
      {"42 header records", ComponentFile(kTitles[2]).header().bytes()},
      {"42 header records and 0x1A", ComponentFile(kTitles[2]).header().raw("\x1a    1.0000\n").bytes()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put(0, standard(0, 3));
    put(1, standard(1, 3));
    put(2, c.up);

    const RunResult result = run("empty.csv\n");

    EXPECT_TRUE(result.exited(0)) << result.describe();
    EXPECT_EQ("", result.err);
    EXPECT_EQ(console({3, 3, 0}), result.out);
    EXPECT_NE(std::string::npos, result.out.find("\n i,in= 0 1\n nt= -8\n\n Enter Output"));
    EXPECT_EQ("", read("empty.csv"));  // created at the open, no line written
  }
}

// Every record ended by a line feed counts, however short; a last record
// without one never counts, though the values it completed are stored.
TEST_F(E2e, CountsRecordsEndedByLineFeed) {
  struct Case {
    std::string label;
    int counted;               // i of the first component
    std::vector<long> stored;  // its samples after the 16 of two full records
    std::string tail;          // bytes after those two records
  };
  const std::vector<Case> cases = {
      {"nothing more", 2, {}, ""},
      {"an empty line", 3, {}, "\n"},
      {"a blank line and an empty line", 4, {}, "          \n\n"},
      {"a short line", 3, {1500}, "       1.5\n"},
      {"80 columns, no line feed",
       2,
       {1000, -2000, 3000, -4000, 5000, -6000, 7000, -8000},
       "    1.0000   -2.0000    3.0000   -4.0000    5.0000   -6.0000    7.0000   -8.0000"},
      {"90 columns, no line feed",
       2,
       {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000},
       "    1.0000    2.0000    3.0000    4.0000    5.0000    6.0000    7.0000    8.0000 IGNORED!!"},
      {"the third field cut by the end", 2, {1000, 2000}, "    1.0000    2.0000    3.5"},
      {"a comma before the end", 2, {1000, 2000}, "1.0,2.0,"},
      {"the fourth field cut by the end", 2, {1000, 2000, 3000}, "    1.0000    2.0000    3.0000 4.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    clear_dir();
    put(0, ComponentFile(kTitles[0]).header().milli(samples(0, 16)).raw(c.tail).bytes());
    put(1, standard(1, 5));
    put(2, standard(2, 5));  // nt = 32 shows every stored sample

    const RunResult result = run();

    ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
    EXPECT_EQ(console({c.counted, 5, 5}), result.out);
    std::vector<long> x = samples(0, 16);
    x.insert(x.end(), c.stored.begin(), c.stored.end());
    EXPECT_EQ(csv_from_milli(x, samples(1, 40), samples(2, 40), 32), read("out.csv"));
  }
}

// nt comes from the third component alone; the eight samples of its last
// complete record are never written.
TEST_F(E2e, ThirdComponentDecidesLineCount) {
  struct Case {
    std::array<int, 3> records;
  };
  const std::vector<Case> cases = {
      {{1, 6, 3}},  // first shorter, second longer than the third
      {{6, 1, 3}},
      {{3, 3, 1}},  // nt = 0: no line
      {{2, 2, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.records));
    clear_dir();
    put_standard(c.records);

    const RunResult result = run();

    ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
    EXPECT_EQ(console(c.records), result.out);
    const int nt = 8 * c.records[2] - 8;
    EXPECT_EQ(csv_from_milli(samples(0, 8 * static_cast<size_t>(c.records[0])),
                             samples(1, 8 * static_cast<size_t>(c.records[1])),
                             samples(2, 8 * static_cast<size_t>(c.records[2])), nt),
              read("out.csv"));
  }
}

constexpr int kCapacityRecords = layout::kBufferSamples / layout::kFieldsPerRecord;

TEST_F(E2e, ReadsExactlyCapacity) {
  put_standard({kCapacityRecords, kCapacityRecords, kCapacityRecords});

  const RunResult result = run();

  ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
  EXPECT_EQ("", result.err);
  EXPECT_EQ(console({kCapacityRecords, kCapacityRecords, kCapacityRecords}), result.out);
  EXPECT_NE(std::string::npos, result.out.find(" i,in= 4125 33001\n nt= 32992\n"));
  const std::string csv = read("out.csv");
  ASSERT_EQ(layout::kRealSamples * kCsvLineBytes, csv.size());
  constexpr size_t kBuffer = layout::kBufferSamples;
  EXPECT_EQ(csv_from_milli(samples(0, kBuffer), samples(1, kBuffer), samples(2, kBuffer), layout::kRealSamples), csv);
  EXPECT_EQ("164.955,", csv.substr(csv.size() - kCsvLineBytes, 8));
}

// When the data read would start at position 33001 and a byte is left, the
// run ends with a message instead of storing beyond the buffer.
TEST_F(E2e, StopsBeyondCapacity) {
  struct Case {
    int component;
    std::string tail;  // after kCapacityRecords complete records
  };
  const std::vector<Case> cases = {
      {0, field10("1.0") + "\n"},
      {1, field10("1.0") + "\n"},
      {2, field10("1.0") + "\n"},
      {2, "7"},   // one byte, no line end
      {2, "\n"},  // an empty record
      {2, "\r"},  // a lone carriage return is a byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kNames[static_cast<size_t>(c.component)] + " tail \"" + c.tail + "\"");
    clear_dir();
    for (int k = 0; k < 3; ++k) put(k, standard(k, k == c.component ? kCapacityRecords : 2));
    put(c.component, standard(c.component, kCapacityRecords) + c.tail);

    const RunResult result = run();

    EXPECT_TRUE(result.exited(1)) << result.describe();
    EXPECT_EQ(kNames[static_cast<size_t>(c.component)] +
                  ": more than 33000 samples; a component file may hold at most 33000\n",
              result.err);
    EXPECT_EQ(console({2, 2, 2}, kAfterTitle[c.component]), result.out);
    EXPECT_EQ(std::vector<std::string>{}, other_files());
  }
}

TEST_F(E2e, EndOfFileAtCapacityIsNormal) {
  for (const std::string tail : {"\x1a", "\x1a    1.0000\n"}) {
    SCOPED_TRACE(testing::PrintToString(tail));
    clear_dir();
    put(0, standard(0, 2));
    put(1, standard(1, 2));
    put(2, standard(2, kCapacityRecords) + tail);

    const RunResult result = run();

    ASSERT_TRUE(result.exited(0)) << result.describe() << result.err;
    EXPECT_EQ(console({2, 2, kCapacityRecords}), result.out);
    EXPECT_EQ(layout::kRealSamples * kCsvLineBytes, read("out.csv").size());
  }
}

}  // namespace
}  // namespace e2e
