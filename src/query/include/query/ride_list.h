// RideList: the answer of every question that lists trains (trains at a
// station, direct trains, trains by number, boards) as data, and its lines.
#ifndef MURLO_QUERY_RIDE_LIST_H_
#define MURLO_QUERY_RIDE_LIST_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "query/journey.h"
#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/query_status.h"

namespace murlo {

struct RideList {
  QueryStatus status = QueryStatus::kOk;
  // The rides found, a whole run from stop 0 to the train's last stop. A
  // ride the tables give no line for (hasSegmentLine false: a corrupt file)
  // may be among them; every answer made from the list skips it, so that
  // the common case checks each ride once, where its line or facts are made.
  std::vector<Ride> rides;
  // Trains at a station: the stop of the call that gives each ride.
  std::vector<StopPosition> calls;
  // Direct trains without a ride: the change stations proposed, as GBK
  // names of the tables (or the static 北京), in the order written.
  std::vector<std::string_view> changeStations;
  // The station of each change station's name, or nothing for the static
  // 北京.
  std::vector<std::optional<StationIndex>> changeStationIndexes;
};

// The ride of train `train` from `board` to `alight`, or nothing where the
// tables give it no line or the network's rules forbid boarding at `board`
// or alighting at `alight`.
std::optional<Ride> listableRide(const TimetableDb& db, TrainIndex train, StopPosition board,
                                 StopPosition alight);
// The whole run of `train` as a ride, or nothing where it has fewer than two
// stops.
std::optional<Ride> wholeRun(const TimetableDb& db, TrainIndex train);

// Adds the kept whole-run line of `train` to `answer` as a piece; false,
// adding nothing, where the tables give the train no line. `scratch` is the
// room a line is written in the first time. (Inline: trains at a station
// call it for every call.)
inline bool appendWholeRun(Utf16Answer& answer, const LoadedDatabase& db, TrainIndex train,
                           std::string& scratch) {
  const KeptLine line = db.wholeRunLines().line(db.tables(), train, scratch);
  if (line.text.empty()) return false;
  answer.pieces.push_back(line.text);
  return true;
}

// The rides as SegmentLines (mode 0) in UTF-16, each followed by "*": whole
// runs copied from the lines the database keeps, the others written into
// the answer; `wholeRuns` says that every ride is a whole run, so that none
// is looked at twice. The count is the number of lines. May throw
// std::bad_alloc.
Utf16Answer ridesAsLines(const LoadedDatabase& db, std::span<const Ride> rides,
                         bool wholeRuns = false);

}  // namespace murlo

#endif  // MURLO_QUERY_RIDE_LIST_H_
