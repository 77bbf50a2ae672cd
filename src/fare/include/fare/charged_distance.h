// The distance that the conventional tariff charges for a distance travelled.
#ifndef MURLO_FARE_CHARGED_DISTANCE_H_
#define MURLO_FARE_CHARGED_DISTANCE_H_

#include <cstdint>

namespace murlo {

// The travelled distance (km) moved to the middle of its band. Bands are
// 10 km wide up to 200 km, then 20, 30, 40, 50, 60, 70, 80, 90 and 100 km
// wide in the zones starting above 200, 400, 700, 1100, 1600, 2200, 2900,
// 3700 and 4600 km; bands count from the zone's start, so the top kilometre
// of a zone falls into the next band (200 gives 205). At least 20 km are
// charged and at most 4650 km. Defined for every int32.
int32_t chargedDistance(int32_t distance);

}  // namespace murlo

#endif  // MURLO_FARE_CHARGED_DISTANCE_H_
