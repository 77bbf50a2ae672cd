#include "query/journey_planner.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "present/journey_summary.h"
#include "present/segment_line.h"
#include "query/change_rules.h"
#include "query/direct_trains.h"
#include "query/profile_search.h"
#include "query/run_days.h"
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
    // A walk before the ride (only with the network's rules):
    // "W|FROM|TO|MINUTES*", the minutes as a duration.
    if (timed.walk) {
      const std::optional<std::string_view> from = db.tables().stationName(timed.walk->from);
      const std::optional<std::string_view> to = db.tables().stationName(timed.walk->to);
      if (!from || !to) {
        text.resize(before);
        return false;
      }
      text += "W|";
      text += *from;
      text += '|';
      text += *to;
      text += '|';
      appendHoursMinutes(text, timed.walk->minutes);
      text += '*';
    }
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
// journey's departure, each next one on the first day its train leaves its
// station at least the change's minutes after the ride before arrived, with
// the walk before it where the change is between two stations. Nothing
// where a ride has no line (or, only in a corrupt file, a change has no
// minutes).
std::optional<TimedJourney> timedJourney(const TimetableDb& db, const ChangeRules& changes,
                                         const TrainRuns& runs, const RunDays& days,
                                         const Journey& journey) {
  TimedJourney timed{journey.departure, journey.arrival, {}};
  int64_t now = journey.departure;
  StationIndex alighted(0);
  TrainIndex arrivedBy(0);
  for (std::size_t r = 0; r < journey.rides.size(); ++r) {
    const Ride& ride = journey.rides[r];
    const std::optional<TrainView> train = db.train(ride.train);
    if (!train || !hasSegmentLine(db, ride.train, ride.board, ride.alight)) return std::nullopt;
    TimedRide timedRide{ride, 0, 0, std::nullopt};
    if (r > 0) {
      const StationIndex boarding = train->stops[ride.board].stationIndex();
      const int32_t minutes = changes.minutes(alighted, boarding, arrivedBy, ride.train);
      if (minutes == kNoChange) return std::nullopt;
      if (boarding != alighted) timedRide.walk = Walk{alighted, boarding, minutes};
      const int64_t earliest = now + minutes;
      const int64_t boards = train->stops[ride.board].departureMinutes();
      now = earliest + ((boards - earliest) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
      if (!days.everyDay()) {
        if (ride.train.value() >= runs.trainCount()) return std::nullopt;
        const TrainRuns::Train& run = runs.train(ride.train);
        if (ride.board >= run.end()) return std::nullopt;
        now = days.firstDepartureFrom(ride.train, runs.departureDay(run, ride.board), now);
        if (now == kNoRun) return std::nullopt;
      }
    }
    timedRide.departure = now;
    now += journeyMinutes(train->stops, ride.board, ride.alight);
    timedRide.arrival = now;
    timed.rides.push_back(timedRide);
    alighted = train->stops[ride.alight].stationIndex();
    arrivedBy = ride.train;
  }
  return timed;
}

// The stations a name stands for where a station is expected: the first
// station of that name, else the members of the first station group of that
// name (GBK); none when neither has it.
std::vector<StationIndex> placeOf(const LoadedDatabase& db, std::string_view name) {
  if (const std::optional<StationIndex> station = db.findStation(name)) return {*station};
  std::vector<StationIndex> members;
  if (const NetworkRules* rules = db.tables().networkRules()) {
    for (const StationGroup& group : rules->groups()) {
      if (group.name != name) continue;
      for (const StationIndex member : group.members) {
        if (member.value() < db.tables().stationCount()) members.push_back(member);
      }
      break;
    }
  }
  return members;
}

// Where a group and a station or another group share stations, the shared
// ones are left to the side where they are named as a station alone (a
// group's name on both sides leaves them to neither).
void partPlaces(std::vector<StationIndex>& origins, std::vector<StationIndex>& destinations) {
  const auto shared = [](const std::vector<StationIndex>& places) {
    return [&places](StationIndex s) {
      return std::find(places.begin(), places.end(), s) != places.end();
    };
  };
  const std::vector<StationIndex> from = origins;
  const std::vector<StationIndex> to = destinations;
  if (from.size() > 1) std::erase_if(origins, shared(to));
  if (to.size() > 1) std::erase_if(destinations, shared(from));
}

}  // namespace

JourneyList planJourneyList(const LoadedDatabase& db, std::string_view origin,
                            std::string_view destination, const JourneyRequest& request) {
  JourneyList answer;
  QueryStatus dateStatus = QueryStatus::kOk;
  const RunDays days(db.tables(), request.date, dateStatus);
  std::vector<StationIndex> from;
  std::vector<StationIndex> to;
  if (request.valid() && dateStatus == QueryStatus::kOk && origin != destination) {
    from = placeOf(db, origin);
    if (!from.empty()) to = placeOf(db, destination);
  }
  answer.status = !request.valid()                 ? QueryStatus::kArgumentOutOfRange
                  : dateStatus != QueryStatus::kOk ? dateStatus
                  : origin == destination          ? QueryStatus::kSameStation
                  : from.empty()                   ? QueryStatus::kUnknownOrigin
                  : to.empty()                     ? QueryStatus::kUnknownDestination
                                                   : QueryStatus::kOk;
  if (answer.status != QueryStatus::kOk) return answer;
  partPlaces(from, to);
  if (from.empty() || to.empty()) {
    answer.status = QueryStatus::kSameStation;
    return answer;
  }
  const std::vector<Journey> journeys = paretoJourneys(db, from, to, request);
  if (journeys.empty()) return answer;
  const ChangeRules changes(db.networkChanges(), request);
  for (const Journey& journey : journeys) {
    if (std::optional<TimedJourney> timed =
            timedJourney(db.tables(), changes, db.trainRuns(), days, journey)) {
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
