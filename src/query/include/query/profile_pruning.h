// Every cut the profile search (profile_search.h) makes besides the labels'
// own rule, in one place. An arrival, a boarding or a train is dropped when
// it cannot lead to a journey that is not dominated:
//
// - boarding: a station is not boarded from at all, nor a train followed
//   from a departure there, where its ready time (the departure) and the
//   fewest minutes of a ride from there to the destination is no earlier
//   than the destination's label of the round, and that time and the
//   fewest minutes any rides take from there (a search back over
//   RideHops) no earlier than its label of one more ride; in the last
//   round, a run whose own arrival at the destination is no earlier than
//   its label is not followed;
// - following: a train is followed from a station whose ready time improved
//   in a round only when its next departure there comes before the next one
//   from the ready time replaced: the later ones were followed when that was
//   set (or, for a copy, in the round below);
// - arriving: an arrival is kept only when it beats the destination's label
//   of its round, and anywhere but the destination only while one more ride
//   may beat the destination's label of one more ride, or two or more
//   rides its label of two more: one more ride must be one of the rides
//   that reach the destination, whose times are known (see
//   findOneRideMinutes), more rides take the fewest minutes of a change
//   from there and the fewest any rides take from where it leads at least;
//   in the last round none is kept but at the destination;
// - scanning: the last round follows only the trains to the destination, and
//   those only as far as it; the round before the last only as far as a
//   station with a ride there, and only from a stop whose departure, its ride
//   to such a station and that ride may still beat the destination's label
//   of one more ride (arriving, the same bound; see mayArriveInTime); a
//   scan (the first round's too) ends past the last stop it was queued
//   from once the run caught can beat no label (leadsNowhere).
#ifndef MURLO_QUERY_PROFILE_PRUNING_H_
#define MURLO_QUERY_PROFILE_PRUNING_H_

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "db/day_rollover.h"
#include "db/indexes.h"
#include "db/timetable_db.h"
#include "query/change_rules.h"
#include "query/profile_state.h"
#include "query/ride_hops.h"
#include "query/station_board.h"
#include "query/train_runs.h"

namespace murlo {

// What a station is to the question: a member of its origin (one station,
// or a group's members), of its destination, or neither; and, with the
// network's rules, whether a journey may have left it without its label
// there showing it (NetworkChanges::leftUnlabelled).
enum StationRole : uint8_t {
  kOriginMember = 1,
  kDestinationMember = 2,
  kLeftUnlabelled = 4,
};

// The destination's label of one more ride in the last round: none beats it.
inline constexpr int32_t kNoRideMore = -kNever;

// How far a round's rides may still lead.
enum class RoundReach {
  kAnywhere,     // more rides may follow
  kOneRideOn,    // the round before the last: one ride to the destination follows
  kDestination,  // the last round: to the destination only
};

class ProfilePruning {
 public:
  // The bounds for journeys to the stations whose role is
  // kDestinationMember (`destinations`; the first is the destination's
  // node) with at most `rounds` rides and changes by `changes` (`board`:
  // the departures of `runs`, `hops` theirs). May throw std::bad_alloc.
  void prepare(const TimetableDb& tables, const TrainRuns& runs, const StationBoard& board,
               const RideHops& hops, const ChangeRules& changes, std::span<const uint8_t> roles,
               std::span<const StationIndex> destinations, int32_t rounds);

  // Whether no train can be left at the destination at all.
  bool destinationUnreached() const { return destinationTrains_.empty(); }
  // From a departure at `station`: whether one ride may reach the
  // destination.
  bool rideReaches(StationIndex station) const { return directRide_[station.slot()] < kNever; }
  // From an arrival at `station`: whether a change and one ride may reach
  // the destination (or it is the destination's).
  bool oneRideOnReaches(StationIndex station) const { return oneRide_[station.slot()] < kNever; }

  RoundReach reachOf(int32_t round) const {
    return round == rounds_       ? RoundReach::kDestination
           : round + 1 == rounds_ ? RoundReach::kOneRideOn
                                  : RoundReach::kAnywhere;
  }

  // Boarding: whether a traveller ready at `station` at `ready` (or a run
  // that departs there then) can still beat `bound`, the destination's
  // label of the round, by a ride to the destination, or `boundAbove`, its
  // label of one more ride (kNoRideMore in the last round), by more rides.
  // (Asked in the rounds after the first.)
  bool mayBoard(StationIndex station, int32_t ready, int32_t bound, int32_t boundAbove) const {
    return ready < boardingLimit(station, bound, boundAbove);
  }
  // The same as the minute from which none may: a ready time (a departure)
  // at `station` may board there where it is earlier.
  int32_t boardingLimit(StationIndex station, int32_t bound, int32_t boundAbove) const {
    return std::max(bound - directRide_[station.slot()], boundAbove - rideMinutes_[station.slot()]);
  }
  // In the last round, after worthScanning: whether the run of `train` that
  // departs its `stop` at minute `departs` arrives at the destination before
  // `bound`, the round's label there.
  bool arrivesInTime(TrainIndex train, StopPosition stop, int32_t departs, int32_t bound) {
    return departs + toDestination(train)[stop.slot()] < bound;
  }

  // Following: the trains from a station need following only up to the first
  // departure one could catch from its ready time before this round,
  // `before`.
  static int32_t followedFrom(int32_t before) { return before; }

  // Scanning: whether `train`, boarded at `stop` in a round of `reach`, may
  // lead anywhere worth it, and the stop its scan ends before.
  bool worthScanning(RoundReach reach, TrainIndex train, StopPosition stop) {
    if (reach == RoundReach::kDestination && destinationStop(train) <= stop) return false;
    if (reach == RoundReach::kOneRideOn && usefulUntil(train) <= stop) return false;
    return true;
  }
  StopPosition scanEnd(RoundReach reach, TrainIndex train, const TrainRuns::Train& run) {
    return reach == RoundReach::kDestination ? destinationStop(train).next()
           : reach == RoundReach::kOneRideOn ? usefulUntil(train).next()
                                             : run.end();
  }
  // Following in the round before the last, after worthScanning: whether
  // `train`, boarded at `stop` at minute `departs`, may arrive anywhere in
  // time for one more ride to beat `bound`, the destination's label of one
  // more ride. A train to the destination after `stop` always may (its own
  // arrival there is held to the round's label, not this one). Where it may
  // not, every arrival of that run fails keepsArrival.
  bool mayArriveInTime(TrainIndex train, StopPosition stop, int32_t departs, int32_t bound) {
    return destinationStop(train) > stop || departs + viaOneRide(train)[stop.slot()] < bound;
  }
  // Scanning: whether a run of `train`, a steady one (RideHops::steady),
  // that arrives at its stop `m`, at `station`, at `here` (kNever: no run
  // caught) can beat neither `bound`, the destination's label of the round,
  // nor `boundAbove`, that of one more ride, there or at any later stop: its
  // arrival and the fewest minutes of rides from there only grow along a
  // steady train.
  bool steady(TrainIndex train) const { return hops_->steady(train); }
  bool leadsNowhere(TrainIndex train, StopPosition m, StationIndex station, int32_t here,
                    int32_t bound, int32_t boundAbove) const {
    const int32_t atLeast = here + rideMinutes_[station.slot()];
    return atLeast >= bound || (atLeast >= boundAbove && destinationStop(train) < m);
  }
  // Whether a train scanned in a round of `reach` is worth leaving at
  // `station`, before the labels are asked.
  static bool mayLeaveAt(RoundReach reach, uint8_t role) {
    return reach != RoundReach::kDestination || (role & kDestinationMember) != 0;
  }

  // Arriving: whether an arrival at node `node` (at `station`) at `minute`
  // in `round` may still lead to a journey that is not dominated.
  // (`arrivals` are the labels' arrivals of the round, those of the round
  // above `nodes` further: ProfileState::arrivalsOf.)
  bool keepsArrival(int32_t round, NodeIndex node, StationIndex station, int32_t minute,
                    const int32_t* arrivals, std::size_t nodes) const {
    if (minute >= arrivals[destination_.slot()]) return false;
    if (node == destination_) return true;
    if (round == rounds_) return false;
    // One more ride must beat the destination's label of one more, two or
    // more rides its label of two more (no later than those of more).
    const int32_t oneRide = oneRide_[station.slot()];
    if (oneRide < kNever && minute + oneRide < arrivals[nodes + destination_.slot()]) return true;
    if (round + 1 == rounds_) return false;
    const int32_t anyRides = anyRides_[station.slot()];
    return anyRides < kNever && minute + anyRides < arrivals[2 * nodes + destination_.slot()];
  }

 private:
  // The last stop at which `train` can be left at the destination, or 0.
  StopPosition destinationStop(TrainIndex train) const {
    return StopPosition(destinationStop_[train.slot()]);
  }
  // The last stop of `train` worth reaching in the round before the last: one
  // where it can be left at the destination or at a station with a ride to it
  // (0 when there is none). Found for every train at once (findUsefulUntil)
  // where a search has such a round.
  StopPosition usefulUntil(TrainIndex train) const {
    return StopPosition(usefulUntil_[train.slot()]);
  }
  void findUsefulUntil(const StationBoard& board);
  // The train's viaOneRide_ by stop, found when first needed; at its stops
  // before its last at the destination, the minutes to the destination on
  // it instead (the two are asked of those stops only).
  const int32_t* viaOneRide(TrainIndex train) {
    int32_t* const via = viaOneRide_.get() + runs_->train(train).first;
    if ((known_[train.slot()] & kViaKnown) == 0) findViaOneRide(train, via);
    return via;
  }
  const int32_t* toDestination(TrainIndex train) {
    int32_t* const to = viaOneRide_.get() + runs_->train(train).first;
    if ((known_[train.slot()] & kToDestinationKnown) == 0) findToDestination(train, to);
    return to;
  }
  void findViaOneRide(TrainIndex train, int32_t* viaOneRide);
  void findToDestination(TrainIndex train, int32_t* toDestination);
  void findOneRideMinutes();
  void findRideMinutes(const RideHops& hops, std::span<const StationIndex> destinations);

  const TrainRuns* runs_ = nullptr;
  const RideHops* hops_ = nullptr;
  const ChangeRules* changes_ = nullptr;
  std::span<const uint8_t> roles_;
  NodeIndex destination_;
  int32_t rounds_ = 0;
  std::vector<int32_t> least_;  // by station: fewest minutes of a change, or kNever
  int32_t leastAll_ = -1;       // the same for every station (a plain file), or -1
  // By train: the last stop at which it can be left at the destination, or 0.
  std::vector<uint8_t> destinationStop_;
  std::vector<TrainIndex> destinationTrains_;  // those with one
  // By station: see findOneRideMinutes; 0 at the destination's. Below
  // kNever where the round before the last is worth arriving.
  std::vector<int32_t> oneRide_;
  // By station: the fewest minutes of a ride from there to the destination
  // (kNever: none).
  std::vector<int32_t> directRide_;
  // By station: the fewest minutes any rides take from a boarding there (or
  // at a station a change from there reaches) to the destination, waits
  // and changes aside; kNever where none reaches it. (Asked from the second
  // round on.)
  std::vector<int32_t> rideMinutes_;
  // By station: from an arrival there, a change and then rideMinutes_ at
  // least; kNever where there is none.
  std::vector<int32_t> anyRides_;
  std::vector<uint8_t> usefulUntil_;  // by train: see usefulUntil
  // By train: whether its viaOneRide_ or its toDestination is known.
  static constexpr uint8_t kViaKnown = 1;
  static constexpr uint8_t kToDestinationKnown = 2;
  std::vector<uint8_t> known_;
  // By the runs' stops (TrainRuns::stops), known for the trains whose
  // known_ says so, before their useful end: the fewest minutes from
  // departing the stop to arriving at the destination by a ride on the
  // train, then one more where it was left elsewhere (oneRide_); kNever or
  // more where there is none (only stops from the train's last at the
  // destination on are asked: mayArriveInTime); before that stop, the
  // minutes from departing the stop to the train's first arrival at the
  // destination after it.
  std::unique_ptr<int32_t[]> viaOneRide_;
};

inline void ProfilePruning::findViaOneRide(TrainIndex train, int32_t* viaOneRide) {
  known_[train.slot()] |= kViaKnown;
  const TrainRuns::RunStops stops = runs_->stopsOf(runs_->train(train));
  // From the arrival at stop m: the fewest minutes to the destination by
  // leaving the train at m or later (the steps between arrivals added up
  // backwards), then one more ride (none at the destination); kNever or
  // more where there is none. (Asked only before usefulUntil, from the
  // train's last stop at the destination on.)
  const StopPosition until = usefulUntil(train);
  int32_t fromArrival = kNever;
  for (StopPosition m = until; m > destinationStop(train); --m) {
    const TrainRuns::Stop& stop = stops[m];
    const TrainRuns::Stop& before = stops[m.previous()];
    if (stop.canLeave()) fromArrival = std::min(fromArrival, oneRide_[stop.station().slot()]);
    viaOneRide[m.previous().slot()] = fromArrival + stepMinutes(before.departure, stop.arrival);
    fromArrival += stepMinutes(before.arrival, stop.arrival);
  }
}

inline void ProfilePruning::findToDestination(TrainIndex train, int32_t* toDestination) {
  known_[train.slot()] |= kToDestinationKnown;
  const TrainRuns::RunStops stops = runs_->stopsOf(runs_->train(train));
  int32_t after = 0;  // from the arrival at stop k + 1 to the destination
  for (StopPosition k = destinationStop(train).previous(); k >= StopPosition(0); --k) {
    const TrainRuns::Stop& next = stops[k.next()];
    // A train calling there twice reaches the first call soonest.
    if (next.canLeave() && (roles_[next.station().slot()] & kDestinationMember) != 0) after = 0;
    toDestination[k.slot()] = stepMinutes(stops[k].departure, next.arrival) + after;
    after += stepMinutes(stops[k].arrival, next.arrival);
  }
}

}  // namespace murlo

#endif  // MURLO_QUERY_PROFILE_PRUNING_H_
