#include "fare/charged_distance.h"

#include <gtest/gtest.h>

#include <limits>

namespace murlo {
namespace {

TEST(ChargedDistance, BandsAndZoneEdges) {
  const struct {
    int32_t distance;
    int32_t charged;
  } cases[] = {
      {std::numeric_limits<int32_t>::min(), 20},
      {0, 20},
      {1, 20},
      {20, 20},
      {21, 25},
      {29, 25},
      {30, 35},
      {199, 195},
      {200, 205},
      {201, 210},
      {219, 210},
      {220, 230},
      {400, 410},
      {401, 415},
      {700, 715},
      {701, 720},
      {1100, 1120},
      {1101, 1125},
      {1601, 1630},
      {2201, 2235},
      {2901, 2940},
      {3701, 3745},
      {4600, 4645},
      {4601, 4650},
      {4650, 4650},
      {9999, 4650},
      {std::numeric_limits<int32_t>::max(), 4650},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(chargedDistance(c.distance), c.charged) << c.distance;
  }
}

}  // namespace
}  // namespace murlo
