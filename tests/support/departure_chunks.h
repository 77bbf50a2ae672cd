// The planner's search taken in chunks of departure minutes rather than of
// time: the first chunk of `firstChunk` minutes with departures, each next
// one twice as long. With one minute first, every bound carried from one
// chunk to the next is tried, which chunks of time seldom do on small
// networks.
#ifndef MURLO_TESTS_SUPPORT_DEPARTURE_CHUNKS_H_
#define MURLO_TESTS_SUPPORT_DEPARTURE_CHUNKS_H_

#include <cstddef>
#include <vector>

#include "db/indexes.h"
#include "query/journey.h"
#include "query/loaded_database.h"

namespace murlo::test {

// What paretoJourneys gives for `request` (whose limit is above 0), searched
// in chunks of departure minutes. REQUIRES: firstChunk > 0.
std::vector<Journey> journeysInDepartureChunks(const LoadedDatabase& db, StationIndex origin,
                                               StationIndex destination,
                                               const JourneyRequest& request,
                                               std::size_t firstChunk);

}  // namespace murlo::test

#endif  // MURLO_TESTS_SUPPORT_DEPARTURE_CHUNKS_H_
