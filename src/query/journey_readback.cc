#include "query/journey_readback.h"

#include <algorithm>

namespace murlo {

Journey readJourneyBack(const ProfileState& state, const TrainRuns& runs, StationIndex destination,
                        int32_t round, int32_t departure) {
  Journey journey;
  journey.departure = departure;
  journey.arrival = state.arrival(round, destination);
  StationIndex station = destination;
  for (int32_t r = round; r >= 1; --r) {
    const RideCode how = state.how(r, station);
    if (how.isCopy()) continue;
    const Ride ride = how.ride();
    journey.rides.push_back(ride);
    station = runs.stopsOf(runs.train(ride.train))[ride.board].station();
  }
  std::reverse(journey.rides.begin(), journey.rides.end());
  return journey;
}

}  // namespace murlo
