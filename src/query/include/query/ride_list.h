// RideList: the answer of every question that lists trains (trains at a
// station, direct trains, trains by number, boards) as data, and its lines.
#ifndef MURLO_QUERY_RIDE_LIST_H_
#define MURLO_QUERY_RIDE_LIST_H_

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "query/journey.h"
#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/query_status.h"

namespace murlo {

struct RideList {
  QueryStatus status = QueryStatus::kOk;
  // Each ride one the tables give a line for (hasSegmentLine); a whole run
  // from stop 0 to the train's last stop.
  std::vector<Ride> rides;
  // Direct trains without a ride: the change stations proposed, as GBK
  // names of the tables (or the static 北京), in the order written.
  std::vector<std::string_view> changeStations;
  // The station of each change station's name, or nothing for the static
  // 北京.
  std::vector<std::optional<StationIndex>> changeStationIndexes;
};

// The ride of train `train` from `board` to `alight`, or nothing where the
// tables give it no line.
std::optional<Ride> listableRide(const TimetableDb& db, TrainIndex train, StopPosition board,
                                 StopPosition alight);
// The whole run of `train` as a ride, or nothing where the tables give it no
// line.
std::optional<Ride> wholeRun(const TimetableDb& db, TrainIndex train);

// The rides as SegmentLines (mode 0) in UTF-16, each followed by "*": whole
// runs copied from the lines the database keeps, the others written into
// the answer. The code is the number of rides. May throw std::bad_alloc.
Utf16Answer ridesAsLines(const LoadedDatabase& db, std::span<const Ride> rides);

}  // namespace murlo

#endif  // MURLO_QUERY_RIDE_LIST_H_
