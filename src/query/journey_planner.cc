#include "query/journey_planner.h"

#include <optional>
#include <vector>

#include "present/journey_summary.h"
#include "query/direct_trains.h"
#include "query/profile_search.h"
#include "query/train_lines.h"

namespace murlo {
namespace {

// Appends the journey's summary and rides; false, with `text` as it was,
// when a ride's line cannot be written (the planner only rides trains whose
// lines can be).
bool appendJourney(std::string& text, const LoadedDatabase& db, const Journey& journey) {
  const std::size_t before = text.size();
  appendJourneySummary(text, journey.departure, journey.arrival,
                       static_cast<int32_t>(journey.rides.size()));
  text += '*';
  for (const Ride& ride : journey.rides) {
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

}  // namespace

QueryResult planJourneys(const LoadedDatabase& db, std::string_view origin,
                         std::string_view destination, const JourneyRequest& request) {
  if (!request.valid()) return QueryResult{kInvalidArgument, {}};
  if (origin == destination) return QueryResult{kSameStation, {}};
  const std::optional<StationIndex> from = db.findStation(origin);
  if (!from) return QueryResult{kOriginNotFound, {}};
  const std::optional<StationIndex> to = db.findStation(destination);
  if (!to) return QueryResult{kDestinationNotFound, {}};

  QueryResult result;
  for (const Journey& journey : paretoJourneys(db, *from, *to, request)) {
    if (appendJourney(result.text, db, journey)) ++result.code;
  }
  return result;
}

}  // namespace murlo
