#include "fare/charged_distance.h"

#include <array>

namespace murlo {

namespace {

constexpr int32_t kMinimumCharged = 20;
constexpr int32_t kMaximumCharged = 4650;

struct DistanceZone {
  int32_t last;   // the zone's highest distance
  int32_t start;  // bands are counted from here
  int32_t width;  // band width
};

constexpr std::array<DistanceZone, 10> kZones{{
    {200, 0, 10},
    {400, 200, 20},
    {700, 400, 30},
    {1100, 700, 40},
    {1600, 1100, 50},
    {2200, 1600, 60},
    {2900, 2200, 70},
    {3700, 2900, 80},
    {4600, 3700, 90},
    {5600, 4600, 100},
}};

}  // namespace

int32_t chargedDistance(int32_t distance) {
  if (distance <= kMinimumCharged) return kMinimumCharged;
  if (distance >= kMaximumCharged) return kMaximumCharged;
  for (const DistanceZone& zone : kZones) {
    if (distance <= zone.last) {
      return zone.width * ((distance - zone.start) / zone.width) + zone.width / 2 + zone.start;
    }
  }
  return kMaximumCharged;  // not reached: the last zone ends above the maximum
}

}  // namespace murlo
