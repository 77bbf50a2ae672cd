// The journey planner's reference: every journey found by exhaustive search,
// simple enough to be obviously right and slow enough for small networks
// only. The comparative tests hold the planner and the boards to it.
#ifndef MURLO_TESTS_SUPPORT_REFERENCE_JOURNEYS_H_
#define MURLO_TESTS_SUPPORT_REFERENCE_JOURNEYS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/timetable_db.h"
#include "query/journey.h"

namespace murlo::test {

// Whether train `train` can be boarded (or left) at stop `stop` of station
// `station`, by the rules read off the tables by scan: the station's call
// list holds the record (train, stop); the train has an entry in every
// per-train table, two stops at least, its first and last station in the
// station table; its stop `stop` is at `station`; boarded, it is not the
// last stop and its departure field reads as an hour of 0 to 23 and a minute
// of 0 to 59 (left: not the first, and its arrival field so).
bool canBoardByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop);
bool canLeaveByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop);

// Every journey from `origin` to `destination` of at most maxChanges + 1
// rides whose first ride departs in [after, after + 1440), each later ride
// boarded at the earliest departure the change time allows (a later one only
// arrives later), each ride from a stop it can be boarded at to a later one
// it can be left at, lasting journeyMinutes, none alighting at a station the
// journey has left (a ride's boarding station) nor passing a usable call at
// the origin after it boarded. Of these the non-dominated
// triples, each with the first journey met, ordered by departure, arrival,
// rides; request.limit is not applied.
std::vector<Journey> journeysBySearch(const TimetableDb& db, StationIndex origin,
                                      StationIndex destination, const JourneyRequest& request);

// Checks that `journey` can be travelled by these rules from `origin` to
// `destination` with its own departure, arrival and rides: its first ride
// departs the origin at journey.departure, inside the window; each next ride
// is boarded where the one before ended, at the earliest departure the change
// time allows; the last ends at the destination at journey.arrival. Returns
// what is wrong, or nothing.
std::optional<std::string> whyNotTravelled(const TimetableDb& db, StationIndex origin,
                                           StationIndex destination, const JourneyRequest& request,
                                           const Journey& journey);

// The summary line of a journey, printed with snprintf.
std::string summaryBySprintf(int64_t departure, int64_t arrival, int32_t rides);

}  // namespace murlo::test

#endif  // MURLO_TESTS_SUPPORT_REFERENCE_JOURNEYS_H_
