#include "fare/fare_amount_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace murlo {
namespace {

TEST(FareAmountFormat, NearestIntegerHalvesAwayFromZero) {
  const struct {
    double amount;
    const char* text;
  } cases[] = {
      {0.0, "   0"},
      {0.5, "   1"},
      {1.5, "   2"},
      {2.5, "   3"},
      {38.5, "  39"},
      {55.5, "  56"},
      {2.4999999999999996, "   2"},
      {0.49999999999999994, "   0"},
      {9999.5, "10000"},
      {665123328.0, "665123328"},
      {-0.2, "  -0"},
      {-2.5, "  -3"},
      {-1041529600.0, "-1041529600"},
      {4503599627370495.5, "4503599627370496"},
      {-0x1p70, "-1180591620717411303424"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::nan(""), " nan"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatFareAmount(c.amount), c.text) << c.amount;
  }
  const std::string largest = formatFareAmount(std::numeric_limits<double>::max());
  EXPECT_EQ(largest.size(), 309u);
  EXPECT_EQ(largest.substr(0, 17) + largest.substr(300), "17976931348623157124858368");
}

}  // namespace
}  // namespace murlo
