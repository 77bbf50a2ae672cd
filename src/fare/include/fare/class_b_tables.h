// The fixed fares of class 'B' at listed distances.
#ifndef MURLO_FARE_CLASS_B_TABLES_H_
#define MURLO_FARE_CLASS_B_TABLES_H_

#include <cstdint>
#include <optional>

namespace murlo {

// Whole-yuan fares of the two seat grades.
struct ClassBFixedFare {
  int32_t lower;
  int32_t higher;
};

// The fixed fare of a class 'B' train over exactly `distance` km: rate code
// 'D' uses one table (100 distances), every other rate code another (12
// distances). Empty when the distance is not listed; the per-kilometre rule
// then applies.
std::optional<ClassBFixedFare> findClassBFixedFare(char rateCode, int32_t distance);

}  // namespace murlo

#endif  // MURLO_FARE_CLASS_B_TABLES_H_
