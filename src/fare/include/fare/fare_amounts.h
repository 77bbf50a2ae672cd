// The built-in tariff: the four fare amounts of a train over a distance,
// before they are printed.
#ifndef MURLO_FARE_FARE_AMOUNTS_H_
#define MURLO_FARE_FARE_AMOUNTS_H_

#include <array>
#include <cstdint>

namespace murlo {

// Columns in output order: hard seat, soft seat, hard sleeper, soft sleeper
// for the conventional tariff; lower seat, higher seat, 0, 0 for the
// per-kilometre classes '0', 'A' and 'B'. Amounts are in yuan and may end
// in .5 (the half-yuan addition to small seat fares), left for the printing
// to round.
struct FareAmounts {
  std::array<float, 4> columns{};
  // Whether the train offers the column (the column code of conventional
  // trains; the per-kilometre classes offer all four).
  std::array<bool, 4> offered{true, true, true, true};
};

// Conventional classes are every code other than '0', 'A' and 'B': '1', '2',
// '6', '7' with a doubled 20 % speed supplement, '4' and '9' with none, all
// others with a single one; '6' ... '9' with the air-conditioning supplement.
// The rate code 'D' ... 'X' multiplies by 1.00 ... 2.00 in steps of 0.05,
// any other code by 1.00. Defined for every input.
FareAmounts computeFareAmounts(char classCode, signed char columnCode, char rateCode,
                               int32_t distance);

}  // namespace murlo

#endif  // MURLO_FARE_FARE_AMOUNTS_H_
