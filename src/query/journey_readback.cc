#include "query/journey_readback.h"

#include <algorithm>
#include <vector>

namespace murlo {

Journey readJourneyBack(const ProfileState& state, const TrainRuns& runs, NodeIndex destination,
                        int32_t round, int32_t departure) {
  Journey journey;
  journey.departure = departure;
  journey.arrival = state.arrival(round, destination);
  NodeIndex node = destination;
  for (int32_t r = round; r >= 1; --r) {
    const RideCode how = state.how(r, node);
    if (how.isCopy()) continue;
    const Ride ride = how.ride();
    journey.rides.push_back(ride);
    node = state.keepsSources()
               ? state.from(r, node)
               : NodeIndex(runs.stopsOf(runs.train(ride.train))[ride.board].station().value());
  }
  std::reverse(journey.rides.begin(), journey.rides.end());
  return journey;
}

bool comesBack(const TrainRuns& runs, std::span<const uint8_t> roles, const Journey& journey) {
  std::vector<StationIndex> left;
  StationIndex alighted(-1);
  for (const Ride& ride : journey.rides) {
    const TrainRuns::RunStops stops = runs.stopsOf(runs.train(ride.train));
    const StationIndex boarded = stops[ride.board].station();
    left.push_back(boarded);
    if (alighted.value() >= 0) left.push_back(alighted);
    alighted = stops[ride.alight].station();
    // The origin's stations have role bit 1 (kOriginMember).
    if ((roles[alighted.slot()] & 1) != 0 ||
        std::find(left.begin(), left.end(), alighted) != left.end()) {
      return true;
    }
  }
  return false;
}

}  // namespace murlo
