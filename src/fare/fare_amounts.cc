#include "fare/fare_amounts.h"

#include <cmath>

#include "fare/base_fare.h"
#include "fare/charged_distance.h"
#include "fare/class_b_tables.h"
#include "fare/rounding.h"

namespace murlo {

namespace {

// Which columns a column code offers: a hexadecimal digit '1' ... '9',
// 'A' ... 'E' selects column 1 with bit 8 down to column 4 with bit 1;
// anything else, '0' and 'F' included, offers all four.
std::array<bool, 4> offeredColumns(signed char columnCode) {
  int bits = 0xF;
  if (columnCode >= '1' && columnCode <= '9') bits = columnCode - '0';
  if (columnCode >= 'A' && columnCode <= 'E') bits = columnCode - 'A' + 10;
  return {(bits & 8) != 0, (bits & 4) != 0, (bits & 2) != 0, (bits & 1) != 0};
}

// Rate codes 'D' ... 'X': 1.00, 1.05, ... 2.00, each the nearest float.
// clang-format off
constexpr std::array<float, 21> kRateFactors{
    1.00f, 1.05f, 1.10f, 1.15f, 1.20f, 1.25f, 1.30f, 1.35f, 1.40f, 1.45f, 1.50f,
    1.55f, 1.60f, 1.65f, 1.70f, 1.75f, 1.80f, 1.85f, 1.90f, 1.95f, 2.00f};
// clang-format on

float rateFactor(char rateCode) {
  if (rateCode < 'D' || rateCode > 'X') return 1.0f;
  return kRateFactors[static_cast<std::size_t>(rateCode - 'D')];
}

float roundUpToFloat(float v) { return static_cast<float>(roundHalfUp(v)); }

// Per-kilometre fare: the rate is a double, the product is taken in double
// and rounded to single before the half-to-even rounding.
float perKilometre(int32_t distance, double ratePerKm) {
  const double product = static_cast<double>(distance) * ratePerKm;
  return static_cast<float>(roundHalfEven(static_cast<float>(product)));
}

FareAmounts perKilometreFares(int32_t distance, double lowerRate, double higherRate) {
  FareAmounts fares;
  fares.columns[0] = perKilometre(distance, lowerRate);
  fares.columns[1] = perKilometre(distance, higherRate);
  return fares;
}

// Class 'B': rate code 'D' is priced like class 'A', other codes at their
// own rates, except at the distances of the fixed tables.
FareAmounts classBFares(char rateCode, int32_t distance) {
  FareAmounts fares = rateCode == 'D' ? perKilometreFares(distance, 0.4833333, 0.575)
                                      : perKilometreFares(distance, 0.485, 0.775);
  if (const auto fixed = findClassBFixedFare(rateCode, distance)) {
    fares.columns[0] = static_cast<float>(fixed->lower);
    fares.columns[1] = static_cast<float>(fixed->higher);
  }
  return fares;
}

bool hasAirConditioning(char classCode) { return classCode >= '6' && classCode <= '9'; }

bool hasSpeedSupplement(char classCode) { return classCode != '4' && classCode != '9'; }

bool hasDoubleSpeedSupplement(char classCode) {
  return classCode == '1' || classCode == '2' || classCode == '6' || classCode == '7';
}

// A seat fare above 5 yuan gets 1 yuan added, a smaller one half a yuan
// (added in double precision). `extra` comes first in the sum.
float withSeatAddition(float extra, float seat) {
  if (seat > 5.0f) return extra + seat + 1.0f;
  return static_cast<float>(static_cast<double>(extra) + static_cast<double>(seat) + 0.5);
}

// The rate factor multiplies each rounded component on its own; the fixed
// additions are never multiplied. Supplements enter every column, the
// sleepers through the seat fare they include.
FareAmounts conventionalFares(char classCode, signed char columnCode, char rateCode,
                              int32_t distance) {
  const float factor = rateFactor(rateCode);
  const auto rounded = [factor](float amount) {
    return roundUpToFloat(roundUpToFloat(amount) * factor);
  };
  const float base = baseFare(chargedDistance(distance));
  const double wideBase = static_cast<double>(base);

  float airConditioning = 0.0f;
  if (hasAirConditioning(classCode)) {
    airConditioning = rounded(static_cast<float>(wideBase * 0.25));
  }

  // Insurance: 2 % of the base fare, rounded up to the next 0.1 yuan.
  const double fifthOfBase = wideBase * 0.2;
  float insurance = static_cast<float>(std::floor(fifthOfBase) * 0.1);
  if (wideBase * 0.02 > static_cast<double>(insurance)) {
    insurance = static_cast<float>(static_cast<double>(insurance) + 0.1);
  }

  // 20 % of the base fare; the fast classes pay that rounded amount twice.
  float speed = 0.0f;
  if (hasSpeedSupplement(classCode)) {
    speed = rounded(static_cast<float>(fifthOfBase));
    if (hasDoubleSpeedSupplement(classCode)) speed = speed * 2.0f;
  }

  const float hardSeat0 = rounded(base + insurance) + speed + airConditioning;
  const float longDistanceExtra = distance > 200 ? 1.0f : 0.0f;
  const float hardSeat = withSeatAddition(longDistanceExtra, hardSeat0);

  const float softSeat0 = rounded(base * 2.0f + insurance) + speed + airConditioning;
  const float softSeat = softSeat0 > 5.0f
                             ? softSeat0 + 1.0f
                             : static_cast<float>(static_cast<double>(softSeat0) + 0.5);

  // Journeys under 400 km pay the berth of exactly 400 km.
  const float berthBase = distance < 400 ? baseFare(400) : base;
  const double wideBerth = static_cast<double>(berthBase);

  FareAmounts fares;
  fares.columns[0] = hardSeat;
  fares.columns[1] = softSeat;
  fares.columns[2] = rounded(static_cast<float>(wideBerth * 1.2)) + hardSeat + 10.0f;
  fares.columns[3] = rounded(static_cast<float>(wideBerth * 1.95)) + softSeat + 10.0f;
  fares.offered = offeredColumns(columnCode);
  return fares;
}

}  // namespace

FareAmounts computeFareAmounts(char classCode, signed char columnCode, char rateCode,
                               int32_t distance) {
  switch (classCode) {
    case '0': return perKilometreFares(distance, 0.3097222, 0.3714322);
    case 'A': return perKilometreFares(distance, 0.4833333, 0.575);
    case 'B': return classBFares(rateCode, distance);
    default: return conventionalFares(classCode, columnCode, rateCode, distance);
  }
}

}  // namespace murlo
