// Distances on the earth's surface.
#ifndef MURLO_GTFS_GREAT_CIRCLE_H_
#define MURLO_GTFS_GREAT_CIRCLE_H_

namespace murlo::gtfs {

struct Position {
  double latitude = 0;   // degrees
  double longitude = 0;  // degrees
};

// The great-circle distance in km between two positions (a sphere of the
// earth's mean radius, 6371.0088 km).
double greatCircleKm(Position a, Position b);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_GREAT_CIRCLE_H_
