// The calls a traveller can use, for the boards and the journey planner.
//
// A call is a record of a station's call list. It is usable when it names a
// train of the tables (an entry in every per-train table) and one of that
// train's stops, when that stop is at this very station, and when the train's
// result line can be written (at least two stops, its first and last station
// in the station table). Any other record is corrupt and is skipped; a record
// listed twice is one call.
//
// At a usable call a train can be boarded unless it is the train's last stop,
// the stop's departure field is not a time of day or the network's rules
// forbid boarding there, and left unless it is the train's first stop, the
// arrival field is not a time of day or the rules forbid alighting there.
#ifndef MURLO_QUERY_USABLE_CALL_H_
#define MURLO_QUERY_USABLE_CALL_H_

#include <optional>

#include "db/records.h"
#include "db/timetable_db.h"

namespace murlo {

struct UsableCall {
  TrainIndex train;
  StopPosition stop;  // a stop of `stops`, at the call's station
  StopList stops;     // the train's stop list, of two stops at least
  CallRule rule;      // every call is open unless the network says otherwise

  bool canBoard() const {
    return rule.board && stop < stops.last() && stops[stop].departureIsTimeOfDay();
  }
  bool canLeave() const {
    return rule.alight && stop > StopPosition(0) && stops[stop].arrivalIsTimeOfDay();
  }
};

// The call `record` of station `station`, or nothing when it is not usable.
// REQUIRES: db.stationName(station) exists.
std::optional<UsableCall> usableCall(const TimetableDb& db, StationIndex station,
                                     CallRecord record);

}  // namespace murlo

#endif  // MURLO_QUERY_USABLE_CALL_H_
