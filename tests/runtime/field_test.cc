#include "field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "fast_paths.h"

namespace kvb {
namespace {

constexpr auto kLF = RecordEnd::kLineFeed;
constexpr auto kEOF = RecordEnd::kEndOfFile;

// The value of one E10.4 field read from a record of its own.
RealField e10(const std::string& text, RecordEnd end = kLF) { return read_real(text, end, 10, 4); }

std::string bits(float v) {
  char s[64];
  std::snprintf(s, sizeof s, "%a", static_cast<double>(v));
  return s;
}

TEST(ReadReal, FieldValues) {
  struct Case {
    const char* field;
    float expected;
  } cases[] = {
      {"    1.2345", 1.2345f},   {"  1.2345  ", 1.2345f},  {"     12345", 1.2345f},      {"        12", 0.0012f},
      {"  1 2 3 4 ", 0.1234f},   {"   1.5E+02", 150.0f},   {"   1.5d+02", 150.0f},       {"    1.5-02", 0.015f},
      {" 1.0E + 3 ", 1000.0f},   {"  12345E-1", 0.12345f}, {"   -3.25  ", -3.25f},       {"  +7      ", 0.0007f},
      {"   1.0e5  ", 100000.0f}, {"  .5      ", 0.5f},     {" 0.000123 ", 0.000123f},    {"00000.0001", 0.0001f},
      {"   1.0+3  ", 1000.0f},   {"  1.0D-1  ", 0.1f},     {"9999999999", 999999.9999f}, {"-.0000001 ", -1e-7f},
  };
  for (const Case& c : cases) {
    RealField f = e10(c.field);
    EXPECT_EQ(FieldOutcome::kValue, f.outcome) << c.field;
    EXPECT_EQ(bits(c.expected), bits(f.value)) << c.field;
  }
}

TEST(ReadReal, ZeroIsAlwaysPositive) {
  for (const char* field : {"          ", "   -0.0000", "-         ", "-0", "  0 0 0   ", "   +0.E+05", ""}) {
    RealField f = e10(field);
    EXPECT_EQ(FieldOutcome::kValue, f.outcome) << field;
    EXPECT_EQ("0x0p+0", bits(f.value)) << field;
  }
}

TEST(ReadReal, OutOfSingleRange) {
  EXPECT_EQ(bits(-INFINITY), bits(e10("  -1.0E+39").value));
  EXPECT_EQ(bits(INFINITY), bits(e10("1.0E+99999").value));
  EXPECT_EQ(bits(0.0f), bits(e10("   1.0E-99").value));
  EXPECT_EQ(bits(-0.0f), bits(e10("  -1.0E-99").value));   // a zero of the value's sign
  EXPECT_EQ(bits(1e-40f), bits(e10("  1.0E-40 ").value));  // subnormal
}

TEST(ReadReal, BadCharacters) {
  for (const char* field : {"   1.0E   ", "    1.0-  ", "   1.0X   ", "1.0\t     ", "  1.0.2   ", "\r         ",
                            "  1.0E+   ", "   1.0E1X ", "  1.0-,   "}) {
    EXPECT_EQ(FieldOutcome::kBadCharacter, e10(field).outcome) << field;
  }
}

TEST(ReadReal, CommaEndsTheFieldEarly) {
  RealField f = e10("1.0,2.0,3.0");
  EXPECT_EQ(1.0f, f.value);
  EXPECT_EQ(4u, f.used);  // the comma is consumed, nothing after it
  f = e10(",3.0");
  EXPECT_EQ(0.0f, f.value);
  EXPECT_EQ(1u, f.used);
  f = e10("1.5E2,9");
  EXPECT_EQ(150.0f, f.value);
  EXPECT_EQ(6u, f.used);
}

TEST(ReadReal, ShortRecordEndsTheField) {
  RealField f = e10("    15");  // the record ends after six columns
  EXPECT_EQ(FieldOutcome::kValue, f.outcome);
  EXPECT_EQ(0.0015f, f.value);
  EXPECT_EQ(6u, f.used);
  EXPECT_EQ(0.0f, e10("").value);
}

TEST(ReadReal, EndOfFileInsideTheFieldStoresNothing) {
  EXPECT_EQ(FieldOutcome::kEndOfFile, e10("    1.5", kEOF).outcome);
  EXPECT_EQ(FieldOutcome::kEndOfFile, e10("", kEOF).outcome);
  EXPECT_EQ(FieldOutcome::kEndOfFile, e10("  1.0E", kEOF).outcome);  // not an error: the file ended
  // Ten columns complete, or a comma, before the end of the file: stored.
  EXPECT_EQ(FieldOutcome::kValue, e10("    1.2345", kEOF).outcome);
  EXPECT_EQ(FieldOutcome::kValue, e10("1.5,", kEOF).outcome);
}

// Rounding twice (decimal -> double -> float) differs from rounding once for
// some decimals; the field read must round twice.
TEST(DecimalToFloat, RoundsToDoubleFirst) {
  std::mt19937_64 rng(42);
  for (int k = 0; k < 200000; ++k) {
    long long mantissa = static_cast<long long>(rng() % 10000000000ULL);
    int exponent = static_cast<int>(rng() % 90) - 60;
    char text[64];
    std::snprintf(text, sizeof text, "%llde%d", mantissa, exponent);
    std::string digits = std::to_string(mantissa);
    float expected = static_cast<float>(std::strtod(text, nullptr));
    float got = decimal_to_float(false, digits, exponent);
    ASSERT_EQ(bits(expected), bits(got)) << text;
  }
}

// write_fixed's columns, which write_fixed_short must give too where it applies.
std::string fixed(float v, int w, int d = 3) {
  std::string out(static_cast<std::size_t>(w), '?');
  write_fixed(v, w, d, out.data());
  if constexpr (kFastPaths) {
    if (short_fixed_field(w, d)) {
      std::string fast(static_cast<std::size_t>(w) + kFixedSlack, '?');
      write_fixed_short(v, w, d, fast.data());
      EXPECT_EQ(out, fast.substr(0, out.size())) << "write_fixed_short(" << v << ", " << w << ", " << d << ")";
    }
  }
  return out;
}

TEST(WriteFixed, F7AndF10) {
  struct Case {
    float value;
    const char* f7;
    const char* f10;
  } cases[] = {
      {0.0f, "  0.000", "     0.000"},        {-0.0f, "  0.000", "     0.000"},
      {0.005f, "  0.005", "     0.005"},      {0.0004f, "  0.000", "     0.000"},
      {-0.0004f, "  0.000", "     0.000"},    {-0.0005f, " -0.001", "    -0.001"},
      {-0.5f, " -0.500", "    -0.500"},       {12.3456f, " 12.346", "    12.346"},
      {-9.9995f, "-10.000", "   -10.000"},    {999.9f, "999.900", "   999.900"},
      {1234.5678f, "*******", "  1234.568"},  {-1234.5678f, "*******", " -1234.568"},
      {-99999.99f, "*******", "-99999.992"},  {99999.999f, "*******", "100000.000"},
      {-99999.999f, "*******", "**********"}, {-123456.7f, "*******", "**********"},
      {999999.9f, "*******", "999999.875"},   {1000000.0f, "*******", "**********"},
      {INFINITY, "    inf", "       inf"},    {-INFINITY, "   -inf", "      -inf"},
      {1e30f, "*******", "**********"},       {1.4e-45f, "  0.000", "     0.000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.f7, fixed(c.value, 7)) << c.value;
    EXPECT_EQ(c.f10, fixed(c.value, 10)) << c.value;
  }
}

TEST(WriteFixed, LeadingZeroGivesWayWhenOneColumnShort) {
  EXPECT_EQ(".500", fixed(0.5f, 4));
  EXPECT_EQ("-.500", fixed(-0.5f, 5));
  EXPECT_EQ("****", fixed(1.5f, 4));
  EXPECT_EQ("1.", fixed(1.0f, 2, 0));
}

#if KVB_FAST_PATHS  // the fast paths' own tests, where they are built
// A record of eight plain fields converted whole gives each field's value
// as read_real gives it; a record with any other field is left alone.
TEST(ReadPlainRecord, SameValuesAsTheFieldReadOrNone) {
  struct Case {
    const char* record;  // 80 columns
    bool plain;
  };
  const Case cases[] = {
      {"   -0.0012   12.3456  312.1234 -312.1234    0.0000   -0.0000 1234567.8 .12345678", true},
      {"         0        12      -12.   +1.5000 -.        9.8765432              -     ", true},
      {"    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1.23451.2345E+01", false},
      {"    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1. 345", false},
      {"    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1.2.45", false},
      {"    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345  1,2345  ", false},
      {"    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345    1.2345   -+1.234", false},
  };
  const int decimals[kPlainRecordFields] = {4, 4, 4, 4, 0, 2, 4, 4};
  for (const Case& c : cases)
    for (Vectors vectors : {Vectors::kWidest, Vectors::kNarrow}) {
      char bytes[80 + 16] = {};
      std::memcpy(bytes, c.record, 80);
      float values[kPlainRecordFields];
      ASSERT_EQ(c.plain, read_plain_record(bytes, decimals, values, vectors)) << c.record;
      for (int k = 0; c.plain && k < kPlainRecordFields; ++k) {
        std::string_view field(c.record + 10 * k, 10);
        RealField want = read_real(field, RecordEnd::kLineFeed, 10, decimals[k]);
        EXPECT_EQ(bits(want.value), bits(values[k])) << "field " << k + 1 << " of " << c.record;
      }
    }
}

#endif

// Around the fast path's limits: every width and decimal count it takes,
// values up to and past 10^8 units of the last decimal, near the halves.
TEST(WriteFixed, ShortFieldsAgreeWithTheGeneralEditing) {
  std::mt19937 rng(11);
  for (int k = 0; k < 200000; ++k) {
    int d = 1 + static_cast<int>(rng() % 7);
    int w = d + 2 + static_cast<int>(rng() % static_cast<unsigned>(15 - d));
    double units = std::ldexp(static_cast<double>(rng() % (1u << 24)), static_cast<int>(rng() % 8)) +
                   0.5 * static_cast<double>(rng() % 3);
    auto v = static_cast<float>((rng() & 1 ? -units : units) / std::pow(10.0, d));
    fixed(v, w, d);
  }
  // Three decimals, whole parts of every length up to and past 10^4.
  for (int k = 0; k < 200000; ++k) {
    auto units = static_cast<double>(rng() % (1u << 24)) + 0.5 * static_cast<double>(rng() % 3);
    auto v = static_cast<float>((rng() & 1 ? -units : units) / std::pow(10.0, rng() % 5));
    fixed(v, 7 + static_cast<int>(rng() % 10), 3);
  }
}

#if KVB_FAST_PATHS
// Four Fw.3 fields at once, with and without literals before them, give
// the fields and literals that write_fixed gives, or leave them to it.
TEST(WriteFixed, FourThousandthsFieldsAtOnce) {
  if (!wide_vectors()) GTEST_SKIP() << "no AVX2";
  std::mt19937 rng(13);
  for (int k = 0; k < 100000; ++k) {
    int w[4], column[4];
    char literal[4];
    float v[4];
    std::string want;
    for (int j = 0; j < 4; ++j) {
      literal[j] = rng() % 3 ? ',' : '\0';
      if (literal[j]) want += literal[j];
      w[j] = 7 + static_cast<int>(rng() % 9);
      column[j] = static_cast<int>(want.size());
      auto units = static_cast<double>(rng() % (1u << 24)) + 0.5 * static_cast<double>(rng() % 3);
      v[j] = static_cast<float>((rng() & 1 ? -units : units) / std::pow(10.0, rng() % 5));
      if (rng() % 50 == 0) v[j] = std::nanf("");
      want += fixed(v[j], w[j], 3);
    }
    std::string got(want.size() + 8, '?');
    if (!write_thousandths_wide(v, thousandths_group(w, column, literal), got.data())) {
      // Left to write_fixed_short: only fields it must take, whole parts
      // that need a fifth column or do not fit, and the like.
      bool easy = true;
      for (int j = 0; j < 4; ++j) easy &= std::fabs(v[j]) < 999.9995f && w[j] >= 8;
      EXPECT_FALSE(easy) << want;
      continue;
    }
    EXPECT_EQ(want, got.substr(0, want.size()));
  }
}

#endif

// The C library's "%#.*f" is the reference: sweep many values and widths.
TEST(WriteFixed, AgreesWithPrintfSlow) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
  for (int k = 0; k < 300000; ++k) {
    float v = std::ldexp(mantissa(rng), static_cast<int>(rng() % 80) - 40);
    int d = static_cast<int>(rng() % 9);
    char text[128];
    std::snprintf(text, sizeof text, "%#.*f", d, std::fabs(static_cast<double>(v)));
    std::string expected = text;
    bool zero = expected.find_first_not_of("0.") == std::string::npos;
    if (v < 0 && !zero) expected = "-" + expected;
    int w = 24;
    expected = std::string(static_cast<std::size_t>(w) - expected.size(), ' ') + expected;
    ASSERT_EQ(expected, fixed(v, w, d)) << bits(v) << " d=" << d;
  }
}

}  // namespace
}  // namespace kvb
