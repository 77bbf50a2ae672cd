#include "query/journey_readback.h"

#include <algorithm>

namespace murlo {

Journey readJourneyBack(const ProfileState& state, NodeIndex destination, int32_t round,
                        int32_t departure) {
  Journey journey;
  journey.departure = departure;
  journey.arrival = state.arrival(round, destination);
  NodeIndex node = destination;
  for (int32_t r = round; r >= 1; --r) {
    const RideCode how = state.how(r, node);
    if (how.isCopy()) continue;
    journey.rides.push_back(how.ride());
    node = state.from(r, node);
  }
  std::reverse(journey.rides.begin(), journey.rides.end());
  return journey;
}

}  // namespace murlo
