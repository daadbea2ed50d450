// The long sweep of the component field writer against printf and strtof
// (ctest label slow).
#include <gtest/gtest.h>

#include <random>

#include "component_file.h"
#include "field_values.h"
#include "text_io_reference.h"

using namespace kvb_split;

namespace {

TEST(ComponentFieldSweep, AgreesWithPrintfAndStrtofOnTwoMillionValues) {
  std::mt19937_64 random(2024);
  for (int k = 0; k < 2000000; ++k) {
    const double v = kvb_test::field_value(random);
    ASSERT_EQ(kvb_test::reference_field(v), component_field(v)) << std::hexfloat << v;
  }
}

}  // namespace
