// The network's changes indexed by station and train: what every journey
// question reads of the rules (db/network_rules.h) whatever its own change
// minutes. Made once for a database, the first time a journey is planned on
// a file with rules (LoadedDatabase::networkChanges), so that a question
// pays only for what depends on it (change_rules.h).
//
// Minutes kept here are the rules' own, before a question's least change
// minutes apply; a station's change where neither a transfer nor its own
// change time says how long it takes is kQuestionMinutes: the question's.
#ifndef MURLO_QUERY_NETWORK_CHANGES_H_
#define MURLO_QUERY_NETWORK_CHANGES_H_

#include <compare>
#include <cstdint>
#include <span>
#include <vector>

#include "db/indexes.h"
#include "db/network_rules.h"
#include "query/train_runs.h"

namespace murlo {

// No change possible.
inline constexpr int32_t kNoChange = -1;
// The question's change minutes.
inline constexpr int32_t kQuestionMinutes = -2;

class NetworkChanges {
 public:
  // A change to another station, and its general minutes (those of every
  // train no rule names).
  struct Walk {
    StationIndex to;
    int32_t minutes;
  };
  // A train's stop at which rules name it as the train boarded.
  struct NamedBoarding {
    TrainIndex train;
    StopPosition stop;
  };

  // The changes of `rules` over the first `stations` stations and the
  // trains of `runs`. May throw std::bad_alloc.
  NetworkChanges(const NetworkRules& rules, int32_t stations, const TrainRuns& runs);

  const NetworkRules& rules() const { return *rules_; }

  // The general change at station `s` itself: minutes, kQuestionMinutes or
  // kNoChange.
  int32_t atStation(StationIndex s) const { return atStation_[s.slot()]; }
  // The fewest minutes of a change from `s` to another station or of a
  // transfer that names trains (kNoChange when there is none).
  int32_t leastBesidesStation(StationIndex s) const { return leastBesides_[s.slot()]; }
  // Whether a journey may have left station `s` without its label there
  // showing it: a change from another station may board at `s`, or a rule
  // names a train arriving there (its arrivals are labelled apart). At any
  // other station a journey that left it holds a label there no later than
  // any arrival it could make again.
  bool leftUnlabelled(StationIndex s) const { return leftUnlabelled_[s.slot()] != 0; }
  // The same by station (1 or 0).
  std::span<const uint8_t> leftUnlabelledByStation() const { return leftUnlabelled_; }
  std::span<const Walk> walksFrom(StationIndex s) const { return spanOf(walks_, walkStart_, s); }
  // Every station a change from `s` may board at, `s` first, whichever
  // trains; every station a change to `s` may come from.
  std::span<const StationIndex> reachFrom(StationIndex s) const {
    return spanOf(reach_, reachStart_, s);
  }
  std::span<const StationIndex> reachTo(StationIndex s) const {
    return spanOf(sources_, sourceStart_, s);
  }
  // The indexes into rules().transfers() of the transfers from `s`, in
  // order of their other station, then of the trains they name (kAnyTrain
  // first).
  std::span<const int32_t> transfersFrom(StationIndex s) const {
    return spanOf(transfersFrom_, transferStart_, s);
  }
  // Those from `from` to `to` that name exactly these trains (kAnyTrain:
  // none): a busy station may hold hundreds of timed transfers, each
  // between two trains.
  std::span<const int32_t> transfersBetween(StationIndex from, StationIndex to,
                                            TrainIndex fromTrain, TrainIndex toTrain) const;

  // Whether a rule names train `t` as the one arrived by at some station,
  // and the number of its label at station `s` among those (0, 1, ...), or
  // -1.
  bool namesArriving(TrainIndex t) const {
    return !arrivingTrains_.empty() && arrivingTrains_[t.slot()] != 0;
  }
  int32_t arrivingLabel(TrainIndex t, StationIndex s) const;
  int32_t arrivingLabelCount() const { return static_cast<int32_t>(arrivingLabels_.size()); }
  TrainIndex arrivingTrain(int32_t label) const {
    return arrivingLabels_[static_cast<std::size_t>(label)].train;
  }
  StationIndex arrivingStation(int32_t label) const {
    return arrivingLabels_[static_cast<std::size_t>(label)].station;
  }

  // Whether a rule names train `t` as the one boarded at some stop, and at
  // stop `k`.
  bool namesBoarding(TrainIndex t) const {
    return !boardingTrains_.empty() && boardingTrains_[t.slot()] != 0;
  }
  bool namesBoardingAt(TrainIndex t, StopPosition k) const;
  // The named boardings a change from `s` may reach.
  std::span<const NamedBoarding> namedBoardingsFrom(StationIndex s) const {
    return spanOf(named_, namedStart_, s);
  }

 private:
  template <typename T>
  static std::span<const T> spanOf(const std::vector<T>& items, const std::vector<uint32_t>& start,
                                   StationIndex s) {
    if (start.empty()) return {};
    return std::span<const T>(items).subspan(start[s.slot()],
                                             start[s.slot() + 1] - start[s.slot()]);
  }
  // The general minutes from `from` to `to` (another station), or kNoChange.
  int32_t walkMinutes(StationIndex from, StationIndex to) const;

  struct ArrivingLabel {
    TrainIndex train;
    StationIndex station;
  };

  const NetworkRules* rules_;
  std::vector<int32_t> atStation_;
  std::vector<int32_t> leastBesides_;
  std::vector<uint8_t> leftUnlabelled_;  // by station
  std::vector<uint32_t> transferStart_;  // by station and one more
  std::vector<int32_t> transfersFrom_;
  // Beside each of transfersFrom_: its other station and the trains it
  // names, the order they are sorted in.
  struct TransferKey {
    int32_t to;
    int32_t fromTrain;
    int32_t toTrain;
    friend auto operator<=>(const TransferKey&, const TransferKey&) = default;
  };
  std::vector<TransferKey> transferKeys_;
  std::vector<uint32_t> walkStart_;
  std::vector<Walk> walks_;
  std::vector<uint32_t> reachStart_;
  std::vector<StationIndex> reach_;
  std::vector<uint32_t> sourceStart_;
  std::vector<StationIndex> sources_;
  std::vector<uint8_t> arrivingTrains_;  // by train: named as arriving somewhere
  std::vector<ArrivingLabel> arrivingLabels_;
  std::vector<uint8_t> boardingTrains_;   // by train: named as boarded somewhere
  std::vector<NamedBoarding> boardings_;  // sorted by train, stop
  std::vector<uint32_t> namedStart_;      // empty where no train is named as boarded
  std::vector<NamedBoarding> named_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_NETWORK_CHANGES_H_
