// The long sweep of the component field writer against printf and strtof
// (ctest label slow).
#include <gtest/gtest.h>

#include <random>

#include "field_values.h"
#include "text_io_reference.h"
#include "writers/component_file.h"

using namespace kvb;

namespace {

TEST(ComponentFieldSweep, AgreesWithPrintfAndStrtofOnTwoMillionValues) {
  std::mt19937_64 random(2024);
  for (int k = 0; k < 2000000; ++k) {
    const double v = kvb_test::field_value(random);
    ASSERT_EQ(kvb_test::reference_field(v), component_field(v)) << std::hexfloat << v;
  }
}

}  // namespace
