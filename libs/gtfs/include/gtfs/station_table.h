// The stations of a database: every station the kept trains call at, in
// stops.txt order, with storable names and abbreviations.
#ifndef MURLO_GTFS_STATION_TABLE_H_
#define MURLO_GTFS_STATION_TABLE_H_

#include <cstdint>
#include <vector>

#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"
#include "gtfs/imported_timetable.h"
#include "gtfs/train_table.h"

namespace murlo::gtfs {

// The stations, and in `indexOf` each place's station index (-1 for places
// no train calls at). Names are cleaned and shortened (see station_name.h);
// a name equal to an earlier station's (in the feed, or by shortening) ends
// in a number, 2, 3 and so on in stops.txt order, so that every station can
// be asked for by name. A station without a name takes its stop_id; one
// without initials the abbreviation "S" and its number. Everything changed
// is reported.
std::vector<ImportedStation> buildStations(const Feed& feed, const std::vector<TrainPart>& trains,
                                           std::vector<int32_t>& indexOf, ImportReport& report);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_STATION_TABLE_H_
