#include "fare/fare_amounts.h"

#include <gtest/gtest.h>

namespace murlo {
namespace {

// Amounts before printing: the half-yuan additions stay unrounded.
TEST(FareAmounts, UnroundedColumns) {
  const struct {
    char classCode;
    int32_t distance;
    std::array<float, 4> columns;
  } cases[] = {
      {'3', 100, {8.0f, 15.0f, 45.0f, 68.0f}},
      {'4', 10, {1.5f, 2.5f, 38.5f, 55.5f}},
      {'1', 50, {5.5f, 10.0f, 42.5f, 63.0f}},  // hard seat exactly 5 + 0.5
      {'0', 100, {31.0f, 37.0f, 0.0f, 0.0f}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(computeFareAmounts(c.classCode, 'F', 'D', c.distance).columns, c.columns)
        << c.classCode << " " << c.distance;
  }
}

TEST(FareAmounts, ColumnCodeSelectsConventionalColumns) {
  using Offered = std::array<bool, 4>;
  const Offered all{true, true, true, true};
  const struct {
    signed char columnCode;
    Offered offered;
  } cases[] = {
      {'1', {false, false, false, true}},
      {'3', {false, false, true, true}},
      {'8', {true, false, false, false}},
      {'9', {true, false, false, true}},
      {'A', {true, false, true, false}},
      {'E', {true, true, true, false}},
      {'0', all},
      {'F', all},
      {'e', all},
      {'@', all},
      {':', all},
      {-1, all},
      {-128, all},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(computeFareAmounts('3', c.columnCode, 'D', 100).offered, c.offered)
        << int{c.columnCode};
    // The per-kilometre classes ignore the code.
    EXPECT_EQ(computeFareAmounts('0', c.columnCode, 'D', 100).offered, all);
  }
}

}  // namespace
}  // namespace murlo
