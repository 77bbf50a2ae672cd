// Journeys with changes between two stations: when to leave, where to
// change, when one arrives.
#ifndef MURLO_QUERY_JOURNEY_PLANNER_H_
#define MURLO_QUERY_JOURNEY_PLANNER_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "query/journey.h"
#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/query_status.h"

namespace murlo {

// The journeys from the station named `origin` to the one named
// `destination` (GBK, the first of equal names; where no station has the
// name, the members of the first station group that has it: a journey then
// departs from any of them, or ends at any of them; members named on both
// sides are left to the side that names a station alone) that depart in
// [after, after + 1440) and that no other such journey dominates (see
// profile_search.h), in order of departure, then arrival, then rides; at most
// request.limit (0: all). Each is written as its summary line
// (present/journey_summary.h) followed by "*", then its rides, each the
// SegmentLine (mode 0) of its train from the boarding stop to the alighting
// stop followed by "*", after the walk before it where the change goes to
// another station (only with the network's rules): "W|FROM|TO|MINUTES*",
// the two stations' names and the change's minutes as "%.2d:%.2d".
//
// For a date (request.date) in a database with a calendar, each ride is on
// a run its train makes (query/run_days.h), and a journey is dropped for
// another's run a day later only where that run runs.
//
// The count is the number of journeys (0 when there is none). The status,
// tested in this order: kArgumentOutOfRange unless request.valid(),
// kDateOutsidePeriod for a date the calendar does not cover,
// kSameStation when the names are equal, kUnknownOrigin, kUnknownDestination,
// kSameStation when no station is left to one side.
// May throw std::bad_alloc.
QueryResult planJourneys(const LoadedDatabase& db, std::string_view origin,
                         std::string_view destination, const JourneyRequest& request);

// The same as data: each journey with the times of its rides (see
// timedJourney in journey_planner.cc), or the status, as planJourneys.
//
// A walk: the change before a ride that goes from the station where the
// ride before ended to another one (a station group's member, or along a
// transfer), and its minutes (the change's, the wait for the train aside).
struct Walk {
  StationIndex from;
  StationIndex to;
  int32_t minutes = 0;
  friend bool operator==(const Walk&, const Walk&) = default;
};
struct TimedRide {
  Ride ride;
  int64_t departure = 0;  // minutes from 00:00 of the day asked about
  int64_t arrival = 0;
  std::optional<Walk> walk;  // before this ride, where it changes station
};
struct TimedJourney {
  int64_t departure = 0;
  int64_t arrival = 0;
  std::vector<TimedRide> rides;
};
struct JourneyList {
  QueryStatus status = QueryStatus::kOk;
  std::vector<TimedJourney> journeys;
};
JourneyList planJourneyList(const LoadedDatabase& db, std::string_view origin,
                            std::string_view destination, const JourneyRequest& request);

}  // namespace murlo

#endif  // MURLO_QUERY_JOURNEY_PLANNER_H_
