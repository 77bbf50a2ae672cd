#include "gtfs/great_circle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace murlo::gtfs {

double greatCircleKm(Position a, Position b) {
  constexpr double kEarthRadiusKm = 6371.0088;
  constexpr double kRadians = std::numbers::pi / 180.0;
  const double lat1 = a.latitude * kRadians;
  const double lat2 = b.latitude * kRadians;
  const double dLat = lat2 - lat1;
  const double dLon = (b.longitude - a.longitude) * kRadians;
  const double sinLat = std::sin(dLat / 2);
  const double sinLon = std::sin(dLon / 2);
  const double h = sinLat * sinLat + std::cos(lat1) * std::cos(lat2) * sinLon * sinLon;
  return 2 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(h)));
}

}  // namespace murlo::gtfs
