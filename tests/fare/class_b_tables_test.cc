#include "fare/class_b_tables.h"

#include <gtest/gtest.h>

#include <limits>

namespace murlo {
namespace {

TEST(ClassBTables, ExactDistanceLookup) {
  const struct {
    char rateCode;
    int32_t distance;
    int32_t lower;  // 0: not listed
    int32_t higher;
  } cases[] = {
      {'D', 36, 0, 0},
      {'D', 37, 17, 28},
      {'D', 38, 0, 0},
      {'D', 414, 199, 318},
      {'D', 257, 123, 197},
      {'E', 257, 125, 199},
      {'D', 1069, 490, 780},
      {'D', 1070, 0, 0},
      {'D', 63, 0, 0},
      {'E', 37, 0, 0},
      {'E', 63, 31, 49},
      {'X', 505, 240, 390},
      {static_cast<char>(0x80), 380, 184, 294},
      {'D', std::numeric_limits<int32_t>::min(), 0, 0},
      {'E', std::numeric_limits<int32_t>::max(), 0, 0},
  };
  for (const auto& c : cases) {
    const auto fare = findClassBFixedFare(c.rateCode, c.distance);
    EXPECT_EQ(fare ? fare->lower : 0, c.lower) << c.rateCode << c.distance;
    EXPECT_EQ(fare ? fare->higher : 0, c.higher) << c.rateCode << c.distance;
  }
}

}  // namespace
}  // namespace murlo
