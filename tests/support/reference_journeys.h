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
// station table; its stop `stop` is at `station`; the network's rule for
// the call (where the tables have rules) allows it; boarded, it is not the
// last stop and its departure field reads as an hour of 0 to 23 and a minute
// of 0 to 59 (left: not the first, and its arrival field so).
bool canBoardByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop);
bool canLeaveByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop);

// Every journey from one of `origins` to one of `destinations` of at most
// maxChanges + 1 rides whose first ride departs in the request's window
// ([t, t + 1440), or [t - 1440, t) for the latest journeys, then arriving
// by t for kArriveBy),
// each ride from a stop it can be boarded at (the call's rule allowing) to a
// later one it can be left at, lasting journeyMinutes, each later ride
// boarded at the earliest departure after the change's minutes
// (changeByScan) from the arrival before (a later one only arrives later),
// at any station the change allows; none alighting at a station the journey
// has left (its origin's, each change's two) nor passing a usable call at an
// origin station after it boarded nor boarding at one after a change, nor
// going on from a destination. Of
// these the non-dominated triples, each with the first journey met,
// ordered by departure, arrival, rides; request.limit is not applied.
std::vector<Journey> journeysBySearch(const TimetableDb& db,
                                      const std::vector<StationIndex>& origins,
                                      const std::vector<StationIndex>& destinations,
                                      const JourneyRequest& request);
std::vector<Journey> journeysBySearch(const TimetableDb& db, StationIndex origin,
                                      StationIndex destination, const JourneyRequest& request);

// Checks that `journey` can be travelled by these rules from `origins` to
// `destinations` with its own departure, arrival and rides. Returns what is
// wrong, or nothing.
std::optional<std::string> whyNotTravelled(const TimetableDb& db,
                                           const std::vector<StationIndex>& origins,
                                           const std::vector<StationIndex>& destinations,
                                           const JourneyRequest& request, const Journey& journey);
std::optional<std::string> whyNotTravelled(const TimetableDb& db, StationIndex origin,
                                           StationIndex destination, const JourneyRequest& request,
                                           const Journey& journey);

// The minutes of a change from `from`, arrived by `arrived`, to boarding
// `boarding` at `to`, by the network's rules read in their lists: none
// where a forbidden transfer holds for the two trains; else the transfer
// (timed: 0 minutes) that names more of the trains, the fewest minutes among
// equals; else at one station its own change time or the question's; else
// the fewest minutes of a group both are in; else none. Never fewer than the
// question's least change minutes. Without rules, at one station only.
std::optional<int64_t> changeByScan(const TimetableDb& db, const JourneyRequest& request,
                                    StationIndex from, TrainIndex arrived, StationIndex to,
                                    TrainIndex boarding);

// The summary line of a journey, printed with snprintf.
std::string summaryBySprintf(int64_t departure, int64_t arrival, int32_t rides);

}  // namespace murlo::test

#endif  // MURLO_TESTS_SUPPORT_REFERENCE_JOURNEYS_H_
