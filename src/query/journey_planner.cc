#include "query/journey_planner.h"

#include <optional>
#include <vector>

#include "db/day_rollover.h"
#include "present/journey_summary.h"
#include "present/segment_line.h"
#include "query/direct_trains.h"
#include "query/profile_search.h"
#include "query/train_lines.h"

namespace murlo {
namespace {

// Appends the journey's summary and rides; false, with `text` as it was,
// when a ride's line cannot be written (the planner only rides trains whose
// lines can be).
bool appendJourney(std::string& text, const LoadedDatabase& db, const TimedJourney& journey) {
  const std::size_t before = text.size();
  appendJourneySummary(text, journey.departure, journey.arrival,
                       static_cast<int32_t>(journey.rides.size()));
  text += '*';
  for (const TimedRide& timed : journey.rides) {
    const Ride& ride = timed.ride;
    // To the last stop is 0, so that a whole run comes from the line cache.
    const std::optional<StopList> stops = db.tables().stopsOf(ride.train);
    const bool toLast = stops && ride.alight == stops->last();
    if (!appendTrainLine(text, db, ride.train, ride.board, toLast ? StopPosition(0) : ride.alight,
                         0)) {
      text.resize(before);
      return false;
    }
  }
  return true;
}

// The journey with the times of each ride: the first boarded at the
// journey's departure, each next one on the first day its train leaves the
// change station at least the change time after the ride before arrived.
// Nothing where a ride has no line.
std::optional<TimedJourney> timedJourney(const TimetableDb& db, const Journey& journey,
                                         const JourneyRequest& request) {
  TimedJourney timed{journey.departure, journey.arrival, {}};
  int64_t now = journey.departure;
  for (std::size_t r = 0; r < journey.rides.size(); ++r) {
    const Ride& ride = journey.rides[r];
    const std::optional<TrainView> train = db.train(ride.train);
    if (!train || !hasSegmentLine(db, ride.train, ride.board, ride.alight)) return std::nullopt;
    if (r > 0) {
      const int64_t earliest = now + request.minChangeMinutes;
      const int64_t boards = train->stops[ride.board].departureMinutes();
      now = earliest + ((boards - earliest) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
    }
    const int64_t departure = now;
    now += journeyMinutes(train->stops, ride.board, ride.alight);
    timed.rides.push_back(TimedRide{ride, departure, now});
  }
  return timed;
}

}  // namespace

JourneyList planJourneyList(const LoadedDatabase& db, std::string_view origin,
                            std::string_view destination, const JourneyRequest& request) {
  JourneyList answer;
  const std::optional<StationIndex> from =
      origin == destination ? std::nullopt : db.findStation(origin);
  const std::optional<StationIndex> to = from ? db.findStation(destination) : std::nullopt;
  answer.status = !request.valid()        ? QueryStatus::kArgumentOutOfRange
                  : origin == destination ? QueryStatus::kSameStation
                  : !from                 ? QueryStatus::kUnknownOrigin
                  : !to                   ? QueryStatus::kUnknownDestination
                                          : QueryStatus::kOk;
  if (answer.status != QueryStatus::kOk) return answer;
  for (const Journey& journey : paretoJourneys(db, *from, *to, request)) {
    if (std::optional<TimedJourney> timed = timedJourney(db.tables(), journey, request)) {
      answer.journeys.push_back(std::move(*timed));
    }
  }
  return answer;
}

QueryResult planJourneys(const LoadedDatabase& db, std::string_view origin,
                         std::string_view destination, const JourneyRequest& request) {
  const JourneyList answer = planJourneyList(db, origin, destination, request);
  if (answer.status != QueryStatus::kOk) return QueryResult{.status = answer.status};
  QueryResult result;
  for (const TimedJourney& journey : answer.journeys) {
    if (appendJourney(result.text, db, journey)) ++result.count;
  }
  return result;
}

}  // namespace murlo
