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
// train named as the one boarded at a station. What depends on the network
// alone is indexed once for a database (network_changes.h).
#ifndef MURLO_QUERY_CHANGE_RULES_H_
#define MURLO_QUERY_CHANGE_RULES_H_

#include <algorithm>
#include <cstdint>
#include <span>

#include "db/indexes.h"
#include "query/journey.h"
#include "query/network_changes.h"

namespace murlo {

// One question's changes: the network's (network_changes.h, made once for a
// database) with the question's change minutes.
class ChangeRules {
 public:
  using Walk = NetworkChanges::Walk;
  using NamedBoarding = NetworkChanges::NamedBoarding;

  // The changes of `network` (nullptr for a plain file) for `request`.
  ChangeRules(const NetworkChanges* network, const JourneyRequest& request)
      : network_(network),
        change_(request.minChangeMinutes),
        least_(request.leastChangeMinutes),
        plain_(atLeast(change_)) {}

  // The minutes of the change from `from`, arrived by `arrived`, to
  // `boarding` at `to`, or kNoChange. kAnyTrain stands for a train that no
  // rule names.
  int32_t minutes(StationIndex from, StationIndex to, TrainIndex arrived,
                  TrainIndex boarding) const;

  // General changes: at the station itself (kNoChange when none), and on
  // foot to others (their minutes by walkMinutes: the question's least
  // change minutes apply).
  int32_t atStation(StationIndex s) const {
    if (network_ == nullptr) return plain_;
    const int32_t here = network_->atStation(s);
    return here == kQuestionMinutes ? plain_ : atLeast(here);
  }
  std::span<const Walk> walksFrom(StationIndex s) const {
    return network_ == nullptr ? std::span<const Walk>() : network_->walksFrom(s);
  }
  int32_t walkMinutes(const Walk& walk) const { return std::max(walk.minutes, least_); }
  // Every station a change from `s` may board at, `s` first, whichever
  // trains.
  std::span<const StationIndex> reachFrom(StationIndex s) const {
    return network_ == nullptr ? itself(s) : network_->reachFrom(s);
  }
  // Every station a change to `s` may come from, whichever trains.
  std::span<const StationIndex> reachTo(StationIndex s) const {
    return network_ == nullptr ? itself(s) : network_->reachTo(s);
  }
  // The fewest minutes of any change from `s` (kNoChange when there is
  // none): what the cuts may count on.
  int32_t leastFrom(StationIndex s) const {
    if (network_ == nullptr) return plain_;
    const int32_t here = atStation(s);
    const int32_t besides = atLeast(network_->leastBesidesStation(s));
    if (here == kNoChange) return besides;
    return besides == kNoChange ? here : std::min(here, besides);
  }

  // Whether a rule names train `t` as the one arrived by at station `s`
  // (then its arrivals there are labelled apart), and its label's number
  // among those (0, 1, ...), or -1.
  bool namesArriving(TrainIndex t) const {
    return network_ != nullptr && network_->namesArriving(t);
  }
  int32_t arrivingLabel(TrainIndex t, StationIndex s) const {
    return network_->arrivingLabel(t, s);
  }
  int32_t arrivingLabelCount() const {
    return network_ == nullptr ? 0 : network_->arrivingLabelCount();
  }
  // The train and station of arriving label `label`.
  TrainIndex arrivingTrain(int32_t label) const { return network_->arrivingTrain(label); }
  StationIndex arrivingStation(int32_t label) const { return network_->arrivingStation(label); }

  // Whether a rule names train `t` as the one boarded at stop `k`: there
  // its ready time is its own.
  bool namesBoarding(TrainIndex t) const {
    return network_ != nullptr && network_->namesBoarding(t);
  }
  bool namesBoardingAt(TrainIndex t, StopPosition k) const {
    return network_->namesBoardingAt(t, k);
  }
  // The named boardings a change from `s` may reach.
  std::span<const NamedBoarding> namedBoardingsFrom(StationIndex s) const {
    return network_ == nullptr ? std::span<const NamedBoarding>() : network_->namedBoardingsFrom(s);
  }

  // By station, whether a journey may have left it without its label there
  // showing it (NetworkChanges::leftUnlabelled): 1 or 0. REQUIRES:
  // !general().
  std::span<const uint8_t> leftUnlabelledByStation() const {
    return network_->leftUnlabelledByStation();
  }

  bool general() const { return network_ == nullptr; }

 private:
  // Station `s` alone. REQUIRES: s below kMaxNetworkStations.
  static std::span<const StationIndex> itself(StationIndex s);
  int32_t atLeast(int32_t minutes) const {
    return minutes == kNoChange ? kNoChange : std::max(minutes, least_);
  }

  const NetworkChanges* network_;
  int32_t change_;
  int32_t least_;
  int32_t plain_;  // the question's change minutes, at least its least
};

}  // namespace murlo

#endif  // MURLO_QUERY_CHANGE_RULES_H_
