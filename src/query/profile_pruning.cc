#include "query/profile_pruning.h"

#include <algorithm>
#include <cstdint>

#include "db/day_rollover.h"
#include "query/minute_queue.h"

namespace murlo {

void ProfilePruning::prepare(const TimetableDb& tables, const TrainRuns& runs,
                             const StationBoard& board, const RideHops& hops,
                             const ChangeRules& changes, std::span<const uint8_t> roles,
                             std::span<const StationIndex> destinations, int32_t rounds) {
  runs_ = &runs;
  hops_ = &hops;
  changes_ = &changes;
  roles_ = roles;
  destination_ = NodeIndex(destinations.front().value());
  rounds_ = rounds;
  const auto trains = static_cast<std::size_t>(runs.trainCount());
  destinationStop_.assign(trains, 0);
  for (const StationIndex destination : destinations) {
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
  }
  const std::size_t stations = roles.size();
  leastAll_ = changes.general() ? changes.leastFrom(StationIndex(0)) : -1;
  if (leastAll_ < 0) {
    least_.assign(stations, kNever);
    for (StationIndex s(0); s.slot() < stations; ++s) {
      const int32_t least = changes.leastFrom(s);
      if (least != kNoChange) least_[s.slot()] = least;
    }
  }
  oneRide_.assign(stations, kNever);
  usefulUntil_.assign(trains, 0);
  known_.assign(trains, 0);
  // Read only where known_ is set: left unset (the runs' stops, one
  // array for each question).
  viaOneRide_.reset(new int32_t[runs.stopCount()]);
  findOneRideMinutes();
  // A destination's own: none to go (an arrival there labels the
  // destination, whose bound is its label; keepsArrival never reads it).
  for (std::size_t s = 0; s < stations; ++s) {
    if ((roles[s] & kDestinationMember) != 0) oneRide_[s] = 0;
  }
  // Only a search of three rounds or more has a later round before the last.
  if (rounds >= 3) findUsefulUntil(board);
  if (rounds >= 2) findRideMinutes(hops, destinations);
}

// rideMinutes_ by a search back from the destination's stations over the
// hops, a change that may board at a station costing nothing; then
// anyRides_.
void ProfilePruning::findRideMinutes(const RideHops& hops,
                                     std::span<const StationIndex> destinations) {
  const std::size_t stations = roles_.size();
  rideMinutes_.assign(stations, kNever);
  // Minutes (never negative, never fewer than those taken last) and station.
  MinuteQueue open;
  open.reserve(2 * stations);
  const auto reach = [&](StationIndex s, int32_t minutes) {
    int32_t& known = rideMinutes_[s.slot()];
    if (minutes < known) {
      known = minutes;
      open.push(static_cast<uint32_t>(minutes), static_cast<uint32_t>(s.value()));
    }
  };
  for (const StationIndex destination : destinations) reach(destination, 0);
  while (!open.empty()) {
    const MinuteQueue::Entry top = open.pop();
    const auto minutes = static_cast<int32_t>(top.minutes);
    const StationIndex station(static_cast<int32_t>(top.value));
    if (minutes > rideMinutes_[station.slot()]) continue;
    if (!changes_->general()) {
      for (const StationIndex from : changes_->reachTo(station)) reach(from, minutes);
    }
    if (station.value() >= hops.stationCount()) continue;
    for (const RideHops::Hop& hop : hops.into(station)) {
      reach(hop.from, std::min(kNever, minutes + hop.minutes));
    }
  }
  anyRides_.assign(stations, kNever);
  for (std::size_t s = 0; s < stations; ++s) {
    const int32_t least = leastAll_ >= 0 ? leastAll_ : least_[s];
    if (least < kNever && rideMinutes_[s] < kNever) anyRides_[s] = least + rideMinutes_[s];
  }
}

// Every train's usefulUntil_: the last of its stops that can be left at a
// station with oneRide_. Such a stop is on the departure board at its
// station, or is the train's last kept stop (TrainRuns::endingAt), or the
// train is one of those left where they cannot be boarded (whose stops are
// all read): what calls at the few stations with a ride to the destination
// is read, not every train's stops.
void ProfilePruning::findUsefulUntil(const StationBoard& board) {
  const auto latest = [this](TrainIndex train, StopPosition m) {
    uint8_t& until = usefulUntil_[train.slot()];
    until = static_cast<uint8_t>(std::max(StopPosition(until), m).value());
  };
  for (StationIndex s(0); s.slot() < oneRide_.size(); ++s) {
    if (oneRide_[s.slot()] >= kNever) continue;
    for (const BoardKeyBits key : board.calls(s)) {
      const TrainIndex train = BoardKey::train(key);
      const StopPosition m = BoardKey::stop(key);
      const TrainRuns::Train& run = runs_->train(train);
      if (m > StopPosition(0) && m < run.end() && runs_->stopsOf(run)[m].canLeave()) {
        latest(train, m);
      }
    }
    for (const TrainIndex train : runs_->endingAt(s)) {
      latest(train, runs_->train(train).end().previous());
    }
  }
  const auto useful = [this](const TrainRuns::Stop& stop) {
    return stop.canLeave() && oneRide_[stop.station().slot()] < kNever;
  };
  for (const TrainIndex t : runs_->leftWhereNotBoarded()) {
    const TrainRuns::Train& run = runs_->train(t);
    for (StopPosition m = run.end().previous(); m > StopPosition(0); --m) {
      if (useful(runs_->stopsOf(run)[m])) {
        latest(t, m);
        break;
      }
    }
  }
}

// The least time from an arrival at each station to the destination by one
// more ride, waits aside but for the change: the rides on the trains that
// can be left at the destination, their times added up backwards from the
// arrival there, from each station they can be boarded at; then from each
// station the fewest minutes of a change from it and the shortest of those
// rides from where the change may board. Rides are never shorter than 0
// minutes, so this is a bound no such journey beats.
void ProfilePruning::findOneRideMinutes() {
  // Without rules every change is at one station and takes the same
  // minutes: the rides' times go straight into the bounds.
  directRide_.assign(oneRide_.size(), kNever);
  std::vector<int32_t>& ride = directRide_;  // by station boarded at
  std::vector<StationIndex> boarded;         // those with a ride
  for (const TrainIndex train : destinationTrains_) {
    const TrainRuns::RunStops stops = runs_->stopsOf(runs_->train(train));
    int32_t after = 0;  // from the arrival at stop k + 1 to the destination
    for (StopPosition k = destinationStop(train).previous(); k >= StopPosition(0); --k) {
      const TrainRuns::Stop& stop = stops[k];
      const TrainRuns::Stop& next = stops[k.next()];
      // A train calling twice there: the first call is reached soonest (a
      // ride between two times of day never lasts less than 0 minutes).
      if (next.canLeave() && (roles_[next.station().slot()] & kDestinationMember) != 0) {
        after = 0;
      }
      if (stop.canBoard()) {
        int32_t& best = ride[stop.station().slot()];
        if (best >= kNever) boarded.push_back(stop.station());
        best = std::min(best, stepMinutes(stop.departure, next.arrival) + after);
      }
      after += stepMinutes(stop.arrival, next.arrival);
    }
  }
  if (leastAll_ >= 0) {
    for (const StationIndex b : boarded) oneRide_[b.slot()] = leastAll_ + ride[b.slot()];
    return;
  }
  for (const StationIndex b : boarded) {
    for (const StationIndex a : changes_->reachTo(b)) {
      if (least_[a.slot()] < kNever) {
        oneRide_[a.slot()] = std::min(oneRide_[a.slot()], least_[a.slot()] + ride[b.slot()]);
      }
    }
  }
}

}  // namespace murlo
