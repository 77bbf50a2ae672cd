// The lengths of the shapes that the selected trips follow, measured along
// their points, beside their shape_dist_traveled values: what tells the
// unit of a feed's distances.
#ifndef MURLO_GTFS_SHAPE_LENGTHS_H_
#define MURLO_GTFS_SHAPE_LENGTHS_H_

#include "gtfs/feed_files.h"
#include "gtfs/feed_model.h"
#include "gtfs/progress.h"

namespace murlo::gtfs {

// Fills feed.shapes from shapes.txt for up to 200 shapes of trips whose stop
// times carry distances (none when there is no such trip, no shapes.txt or
// no shape_dist_traveled column). Points without a valid position, sequence
// or distance are skipped; shapes without length or distance left out.
void readShapeLengths(const FeedFiles& files, Feed& feed, Progress& progress);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_SHAPE_LENGTHS_H_
