#include "fare/base_fare.h"

#include <array>

namespace murlo {

namespace {

struct FareZone {
  int32_t last;     // the zone's highest charged distance
  float start;      // km subtracted before applying the rate
  float rate;       // yuan per km
  float startFare;  // the base fare at `start` km
};

constexpr std::array<FareZone, 6> kFareZones{{
    {200, 0.0f, 0.05861f, 0.0f},
    {500, 200.0f, 0.052749f, 11.722f},
    {1000, 500.0f, 0.046888f, 27.5467f},
    {1500, 1000.0f, 0.041027f, 50.9907f},
    {2500, 1500.0f, 0.035166f, 71.5042f},
    {5600, 2500.0f, 0.029305f, 106.6702f},
}};

}  // namespace

float baseFare(int32_t charged) {
  const FareZone* zone = &kFareZones.back();
  for (const FareZone& candidate : kFareZones) {
    if (charged <= candidate.last) {
      zone = &candidate;
      break;
    }
  }
  return (static_cast<float>(charged) - zone->start) * zone->rate + zone->startFare;
}

}  // namespace murlo
