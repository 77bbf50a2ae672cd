#include "fare/base_fare.h"

#include <gtest/gtest.h>

namespace murlo {
namespace {

TEST(BaseFare, SinglePrecisionZones) {
  const struct {
    int32_t charged;
    float fare;
    float tolerance;  // 0: these exact bits
  } cases[] = {
      // Computed in double and rounded once, 35, 270 and 400 km would give
      // the neighbouring float.
      {35, 0x1.0692a2p+1f, 0},
      {105, 0x1.89dbf4p+2f, 0},
      {270, 0x1.ed4304p+3f, 0},
      {400, 0x1.64594cp+4f, 0},
      {410, 0x1.6cc9e4p+4f, 0},
      // Each zone's rate, just above its start.
      {200, 11.722f, 2e-5f},
      {201, 11.774749f, 2e-5f},
      {501, 27.593588f, 2e-5f},
      {1001, 51.031727f, 2e-5f},
      {1501, 71.539366f, 2e-5f},
      {2501, 106.699505f, 2e-5f},
      {5600, 197.5157f, 2e-5f},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(baseFare(c.charged), c.fare, c.tolerance) << c.charged;
  }
}

}  // namespace
}  // namespace murlo
