// The conventional base fare of a charged distance.
#ifndef MURLO_FARE_BASE_FARE_H_
#define MURLO_FARE_BASE_FARE_H_

#include <cstdint>

namespace murlo {

// Yuan for `charged` km: 0.05861 yuan/km up to 200 km, then 90, 80, 70, 60
// and 50 % of that rate in the zones above 200, 500, 1000, 1500 and 2500 km,
// continuous at the zone edges. Computed in single precision as
// (x - zone start) * rate + fare at zone start. The charged distance is
// always within 1 ... 5600; below that the first zone's formula is used,
// above it the last one's.
float baseFare(int32_t charged);

}  // namespace murlo

#endif  // MURLO_FARE_BASE_FARE_H_
