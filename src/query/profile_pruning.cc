#include "query/profile_pruning.h"

#include <algorithm>

#include "db/day_rollover.h"

namespace murlo {

void ProfilePruning::prepare(const TimetableDb& tables, const TrainRuns& runs,
                             StationIndex destination, int32_t stations, int32_t rounds,
                             int32_t change) {
  runs_ = &runs;
  destination_ = destination;
  rounds_ = rounds;
  change_ = change;
  const auto trains = static_cast<std::size_t>(runs.trainCount());
  destinationStop_.assign(trains, 0);
  const CallList calls = tables.callsAt(destination);
  for (int32_t j = 0; j < calls.size(); ++j) {
    const TrainIndex train = calls[j].trainIndex();
    const StopPosition stop = calls[j].stopPosition();
    if (train < TrainIndex(0) || train >= TrainIndex(runs.trainCount())) continue;
    const TrainRuns::Train& run = runs.train(train);
    if (stop < StopPosition(1) || stop >= run.end()) continue;
    const TrainRuns::Stop& here = runs.stopsOf(run)[stop];
    if (!here.canLeave() || here.station() != destination) continue;
    uint8_t& last = destinationStop_[train.slot()];
    if (last == 0) destinationTrains_.push_back(train);
    last = static_cast<uint8_t>(std::max(StopPosition(last), stop).value());
  }
  oneRide_.assign(static_cast<std::size_t>(stations), kNever);
  usefulUntil_.assign(trains, kUnknown);
  findOneRideMinutes();
}

// The least time from an arrival at each station to the destination by one
// more ride, waits aside but for the change time: the trains there that can
// be left at the destination, each ride's time added up backwards from its
// arrival there. Rides are never shorter than 0 minutes, so this is a bound
// no such journey beats.
void ProfilePruning::findOneRideMinutes() {
  for (const TrainIndex train : destinationTrains_) {
    const TrainRuns::RunStops stops = runs_->stopsOf(runs_->train(train));
    int32_t after = 0;  // from the arrival at stop k + 1 to the destination
    for (StopPosition k = destinationStop(train).previous(); k >= StopPosition(0); --k) {
      const TrainRuns::Stop& stop = stops[k];
      const TrainRuns::Stop& next = stops[k.next()];
      // A train calling twice there: the first call is reached soonest (a
      // ride between two times of day never lasts less than 0 minutes).
      if (next.canLeave() && next.station() == destination_) after = 0;
      if (stop.canBoard()) {
        int32_t& best = oneRide_[stop.station().slot()];
        best = std::min(best, change_ + stepMinutes(stop.departure, next.arrival) + after);
      }
      after += stepMinutes(stop.arrival, next.arrival);
    }
  }
}

}  // namespace murlo
