// The changes a journey may make between two rides, from the network's
// rules (db/network_rules.h) and the question.
//
// A change goes from arriving at station a by train P to boarding train S at
// station b (a itself, or another station reached on foot). Its minutes,
// tested in this order:
//
//   1. none, where a forbidden transfer from a to b holds for P (it names P
//      or no arriving train) and for S (likewise);
//   2. else, of the timed and minimum-time transfers from a to b that hold
//      for P and S, the one that names more of the two trains (a timed one
//      takes 0 minutes), the fewest minutes among equals;
//   3. else, at one station (a == b), the station's own change time where it
//      has one, else the question's change minutes;
//   4. else, between two members of a station group, the fewest minutes of
//      the groups they share;
//   5. else none;
//
// and never fewer than the question's least change minutes. Without rules
// (a plain file) every change is at one station and takes the question's
// change minutes (or its least, if more).
//
// The search reads the changes that hold for every train ("general": no
// rule names P or S) as station-to-station minutes, and the trains that
// rules name apart: a train named as the one arrived by at a station, and a
// train named as the one boarded at a station.
#ifndef MURLO_QUERY_CHANGE_RULES_H_
#define MURLO_QUERY_CHANGE_RULES_H_

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "db/indexes.h"
#include "db/network_rules.h"
#include "query/journey.h"
#include "query/train_runs.h"

namespace murlo {

// No change possible.
inline constexpr int32_t kNoChange = -1;

class ChangeRules {
 public:
  // A change to another station, and its general minutes.
  struct Walk {
    StationIndex to;
    int32_t minutes;
  };
  // A train's stop at which rules name it as the train boarded.
  struct NamedBoarding {
    TrainIndex train;
    StopPosition stop;
  };

  // The changes of `rules` (nullptr for a plain file) for `request`, over
  // the first `stations` stations and the trains of `runs`. May throw
  // std::bad_alloc.
  ChangeRules(const NetworkRules* rules, int32_t stations, const TrainRuns& runs,
              const JourneyRequest& request);

  // The minutes of the change from `from`, arrived by `arrived`, to
  // `boarding` at `to`, or kNoChange. kAnyTrain stands for a train that no
  // rule names.
  int32_t minutes(StationIndex from, StationIndex to, TrainIndex arrived,
                  TrainIndex boarding) const;

  // General changes: at the station itself (kNoChange when none), and on
  // foot to others.
  int32_t atStation(StationIndex s) const {
    return rules_ == nullptr ? atLeast(change_) : atStation_[s.slot()];
  }
  std::span<const Walk> walksFrom(StationIndex s) const { return spanOf(walks_, walkStart_, s); }
  // Every station a change from `s` may board at, `s` first, whichever
  // trains.
  std::span<const StationIndex> reachFrom(StationIndex s) const {
    return rules_ == nullptr ? itself(s) : spanOf(reach_, reachStart_, s);
  }
  // Every station a change to `s` may come from, whichever trains.
  std::span<const StationIndex> reachTo(StationIndex s) const {
    return rules_ == nullptr ? itself(s) : spanOf(sources_, sourceStart_, s);
  }
  // The fewest minutes of any change from `s` (kNoChange when there is
  // none): what the cuts may count on.
  int32_t leastFrom(StationIndex s) const {
    return rules_ == nullptr ? atLeast(change_) : leastFrom_[s.slot()];
  }

  // Whether a rule names train `t` as the one arrived by at station `s`
  // (then its arrivals there are labelled apart), and its label's number
  // among those (0, 1, ...), or -1.
  bool namesArriving(TrainIndex t) const {
    return !arrivingTrains_.empty() && arrivingTrains_[t.slot()] != 0;
  }
  int32_t arrivingLabel(TrainIndex t, StationIndex s) const;
  int32_t arrivingLabelCount() const { return static_cast<int32_t>(arrivingLabels_.size()); }
  // The train and station of arriving label `label`.
  TrainIndex arrivingTrain(int32_t label) const {
    return arrivingLabels_[static_cast<std::size_t>(label)].train;
  }
  StationIndex arrivingStation(int32_t label) const {
    return arrivingLabels_[static_cast<std::size_t>(label)].station;
  }

  // Whether a rule names train `t` as the one boarded at stop `k`: there
  // its ready time is its own.
  bool namesBoarding(TrainIndex t) const {
    return !boardingTrains_.empty() && boardingTrains_[t.slot()] != 0;
  }
  bool namesBoardingAt(TrainIndex t, StopPosition k) const;
  // The named boardings a change from `s` may reach.
  std::span<const NamedBoarding> namedBoardingsFrom(StationIndex s) const {
    return spanOf(named_, namedStart_, s);
  }

  bool general() const { return rules_ == nullptr; }

 private:
  template <typename T>
  static std::span<const T> spanOf(const std::vector<T>& items, const std::vector<uint32_t>& start,
                                   StationIndex s) {
    if (start.empty()) return {};
    return std::span<const T>(items).subspan(start[s.slot()],
                                             start[s.slot() + 1] - start[s.slot()]);
  }
  // Station `s` alone. REQUIRES: s below kMaxStations.
  static std::span<const StationIndex> itself(StationIndex s);
  int32_t atLeast(int32_t minutes) const {
    return minutes == kNoChange ? kNoChange : std::max(minutes, least_);
  }

  struct ArrivingLabel {
    TrainIndex train;
    StationIndex station;
  };

  const NetworkRules* rules_;
  int32_t change_;
  int32_t least_;
  std::vector<int32_t> atStation_;
  std::vector<uint32_t> walkStart_;  // by station and one more; empty without rules
  std::vector<Walk> walks_;
  std::vector<uint32_t> reachStart_;
  std::vector<StationIndex> reach_;
  std::vector<uint32_t> sourceStart_;
  std::vector<StationIndex> sources_;
  std::vector<int32_t> leastFrom_;
  std::vector<uint32_t> transferStart_;  // by station: indexes of transfers from it
  std::vector<int32_t> transfersFrom_;
  std::vector<uint8_t> arrivingTrains_;  // by train: named as arriving somewhere
  std::vector<ArrivingLabel> arrivingLabels_;
  std::vector<uint8_t> boardingTrains_;   // by train: named as boarded somewhere
  std::vector<NamedBoarding> boardings_;  // sorted by train, stop
  std::vector<uint32_t> namedStart_;
  std::vector<NamedBoarding> named_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_CHANGE_RULES_H_
