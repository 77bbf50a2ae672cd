// The unit of a feed's shape_dist_traveled values, told from how they
// compare with lengths measured along the coordinates.
#ifndef MURLO_GTFS_DISTANCE_UNIT_H_
#define MURLO_GTFS_DISTANCE_UNIT_H_

#include <optional>
#include <string>
#include <vector>

#include "gtfs/feed_model.h"

namespace murlo::gtfs {

struct DistanceUnit {
  const char* name = "";  // "km", "m", "mi", "ft"
  double perKm = 1;       // values per kilometre
};

// The candidate unit that makes the median of `ratios` (feed distance per
// measured km) closest to `expected` (1 for a shape measured along its own
// points; a little more for stops measured in straight lines, as tracks
// bend), provided it lies within [low, high]; nothing otherwise.
std::optional<DistanceUnit> guessUnit(std::vector<double> ratios, double expected, double low,
                                      double high);

// The unit of the feed's distances, and a phrase saying how it was found
// ("m, from 12 shapes"); nothing when the stop times carry no distances or
// no unit fits them.
struct UnitFinding {
  std::optional<DistanceUnit> unit;
  std::string how;
};
UnitFinding findDistanceUnit(const Feed& feed);

// The position of a stop, or else of its station; nothing without either.
std::optional<Position> stopPosition(const Feed& feed, int32_t stop);

// Cumulative km along a trip's stops measured in straight lines between
// their coordinates (a stop without coordinates takes its station's; one
// without either adds nothing).
std::vector<double> coordinateKm(const Feed& feed, std::size_t trip);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_DISTANCE_UNIT_H_
