#include "fare/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace murlo {
namespace {

TEST(Rounding, HalvesNeighboursAndLimits) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  const struct {
    float value;
    int32_t halfUp;
    int32_t halfEven;
  } cases[] = {
      {2.5f, 3, 2},
      {3.5f, 4, 4},
      {2.5001f, 3, 3},
      {510.5f, 511, 510},
      {2.4999998f, 2, 2},
      {0.49999997f, 0, 0},             // floats just below a half
      {8388607.5f, 8388608, 8388608},  // the last float with a half
      {-2.5f, -2, -2},
      {-3.5f, -3, -4},
      {-0.5f, 0, 0},
      {2147483520.0f, 2147483520, 2147483520},  // largest float below 2^31
      {-2147483648.0f, kMin, kMin},
      {3e9f, kMax, kMax},
      {-3e9f, kMin, kMin},
      {std::numeric_limits<float>::infinity(), kMax, kMax},
      {std::nanf(""), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(roundHalfUp(c.value), c.halfUp) << c.value;
    EXPECT_EQ(roundHalfEven(c.value), c.halfEven) << c.value;
  }
}

}  // namespace
}  // namespace murlo
