#include "support/departure_chunks.h"

#include <algorithm>

#include "query/profile_search.h"

namespace murlo::test {

std::vector<Journey> journeysInDepartureChunks(const LoadedDatabase& db, StationIndex origin,
                                               StationIndex destination,
                                               const JourneyRequest& request,
                                               std::size_t firstChunk) {
  ProfileSearch search(db, std::span<const StationIndex>(&origin, 1),
                       std::span<const StationIndex>(&destination, 1), request);
  std::vector<Journey> journeys;
  if (search.destinationUnreached()) return journeys;
  const std::size_t groups = search.departures().groupCount();
  const auto limit = static_cast<std::size_t>(request.limit);
  for (std::size_t begin = 0, size = firstChunk; begin < groups && journeys.size() < limit;
       size *= 2) {
    const std::size_t end = std::min(groups, begin + size);
    search.search(begin, end, journeys);
    dropBeatenByTheNextDay(journeys);
    begin = end;
  }
  if (journeys.size() > limit) journeys.resize(limit);
  return journeys;
}

}  // namespace murlo::test
