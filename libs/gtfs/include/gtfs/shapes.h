// The shapes that the selected trips follow (shapes.txt): their points, to
// measure trips along, and their lengths beside their shape_dist_traveled
// values, which tell the unit of a feed's distances.
#ifndef MURLO_GTFS_SHAPES_H_
#define MURLO_GTFS_SHAPES_H_

#include <optional>
#include <vector>

#include "gtfs/feed_files.h"
#include "gtfs/feed_model.h"
#include "gtfs/progress.h"

namespace murlo::gtfs {

// Fills feed.paths with the points of every shape a selected trip follows
// (setting Trip::path), and feed.shapes with the lengths of up to 200 of
// them followed by trips whose stop times carry distances. Points without a
// valid position or sequence are skipped; shapes of fewer than two points,
// and lengths without distances, are left out. Nothing without shapes.txt.
void readShapes(const FeedFiles& files, Feed& feed, Progress& progress);

// The km along `path` to each of `stops` (nothing for a stop without a
// position, which takes the km of the stop before), from the first stop's:
// each stop is projected onto the nearest point of the path at or after the
// previous stop's (and no farther along than three times the straight line
// from it, give or take 2 km), so the km never decrease. Nothing when a
// stop lies more than 1 km from the path, where the path does not belong
// to the trip.
std::optional<std::vector<double>> kmAlongPath(const ShapePath& path,
                                               const std::vector<std::optional<Position>>& stops);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_SHAPES_H_
