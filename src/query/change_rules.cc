#include "query/change_rules.h"

#include <algorithm>

#include "db/file_format.h"

namespace murlo {
namespace {

// Lists by station, flattened: where each station's items begin, and the end.
template <typename T>
void flatten(const std::vector<std::vector<T>>& byStation, std::vector<uint32_t>& start,
             std::vector<T>& items) {
  start.reserve(byStation.size() + 1);
  for (const std::vector<T>& list : byStation) {
    start.push_back(static_cast<uint32_t>(items.size()));
    items.insert(items.end(), list.begin(), list.end());
  }
  start.push_back(static_cast<uint32_t>(items.size()));
}

bool holdsFor(TrainIndex named, TrainIndex train) { return named == kAnyTrain || named == train; }

}  // namespace

ChangeRules::ChangeRules(const NetworkRules* rules, int32_t stations, const TrainRuns& runs,
                         const JourneyRequest& request)
    : rules_(rules), change_(request.minChangeMinutes), least_(request.leastChangeMinutes) {
  const auto count = static_cast<std::size_t>(stations);
  if (rules_ == nullptr) return;  // every change at one station, nothing to index
  const auto within = [stations](StationIndex s) { return s.value() >= 0 && s.value() < stations; };
  const std::vector<Transfer>& transfers = rules_->transfers();
  std::vector<std::vector<int32_t>> fromStation(count);
  for (std::size_t t = 0; t < transfers.size(); ++t) {
    if (within(transfers[t].from) && within(transfers[t].to)) {
      fromStation[transfers[t].from.slot()].push_back(static_cast<int32_t>(t));
    }
  }
  flatten(fromStation, transferStart_, transfersFrom_);

  // Where a change from each station may board: itself, the members of its
  // groups and every transfer's other end.
  std::vector<std::vector<StationIndex>> reach(count);
  for (StationIndex a(0); a.value() < stations; ++a) {
    std::vector<StationIndex>& to = reach[a.slot()];
    to.push_back(a);
    for (const int32_t g : rules_->groupsOf(a)) {
      for (const StationIndex member : rules_->groups()[static_cast<std::size_t>(g)].members) {
        if (within(member)) to.push_back(member);
      }
    }
    for (const int32_t t : fromStation[a.slot()])
      to.push_back(transfers[static_cast<std::size_t>(t)].to);
    std::sort(to.begin() + 1, to.end());
    to.erase(std::unique(to.begin() + 1, to.end()), to.end());
    to.erase(std::remove(to.begin() + 1, to.end(), a), to.end());
  }
  std::vector<std::vector<StationIndex>> sources(count);
  std::vector<std::vector<Walk>> walks(count);
  atStation_.assign(count, kNoChange);
  leastFrom_.assign(count, kNoChange);
  const auto lower = [](int32_t& least, int32_t minutes) {
    if (minutes != kNoChange && (least == kNoChange || minutes < least)) least = minutes;
  };
  for (StationIndex a(0); a.value() < stations; ++a) {
    atStation_[a.slot()] = minutes(a, a, kAnyTrain, kAnyTrain);
    int32_t& least = leastFrom_[a.slot()];
    lower(least, atStation_[a.slot()]);
    for (const StationIndex b : reach[a.slot()]) {
      sources[b.slot()].push_back(a);
      if (b == a) continue;
      const int32_t walk = minutes(a, b, kAnyTrain, kAnyTrain);
      if (walk != kNoChange) walks[a.slot()].push_back(Walk{b, walk});
      lower(least, walk);
    }
    for (const int32_t t : fromStation[a.slot()]) {
      const Transfer& transfer = transfers[static_cast<std::size_t>(t)];
      if (transfer.kind == TransferKind::kForbidden) continue;
      lower(least, atLeast(transfer.kind == TransferKind::kTimed ? 0 : transfer.minutes));
    }
  }
  flatten(reach, reachStart_, reach_);
  flatten(sources, sourceStart_, sources_);
  flatten(walks, walkStart_, walks_);

  // The trains rules name, as arrived by and as boarded.
  const auto trains = static_cast<std::size_t>(runs.trainCount());
  const auto isTrain = [&runs](TrainIndex t) {
    return t.value() >= 0 && t.value() < runs.trainCount();
  };
  std::vector<std::vector<NamedBoarding>> boardedAt(count);
  for (const Transfer& transfer : transfers) {
    if (!within(transfer.from) || !within(transfer.to)) continue;
    if (isTrain(transfer.fromTrain)) {
      arrivingLabels_.push_back(ArrivingLabel{transfer.fromTrain, transfer.from});
    }
    if (isTrain(transfer.toTrain)) {
      const TrainRuns::Train& run = runs.train(transfer.toTrain);
      const TrainRuns::RunStops stops = runs.stopsOf(run);
      for (StopPosition k(0); k < run.end(); ++k) {
        if (stops[k].canBoard() && stops[k].station() == transfer.to) {
          boardings_.push_back(NamedBoarding{transfer.toTrain, k});
        }
      }
    }
  }
  std::sort(arrivingLabels_.begin(), arrivingLabels_.end(),
            [](const ArrivingLabel& x, const ArrivingLabel& y) {
              return x.train != y.train ? x.train < y.train : x.station < y.station;
            });
  arrivingLabels_.erase(std::unique(arrivingLabels_.begin(), arrivingLabels_.end(),
                                    [](const ArrivingLabel& x, const ArrivingLabel& y) {
                                      return x.train == y.train && x.station == y.station;
                                    }),
                        arrivingLabels_.end());
  if (!arrivingLabels_.empty()) {
    arrivingTrains_.assign(trains, 0);
    for (const ArrivingLabel& label : arrivingLabels_) arrivingTrains_[label.train.slot()] = 1;
  }
  std::sort(boardings_.begin(), boardings_.end(),
            [](const NamedBoarding& x, const NamedBoarding& y) {
              return x.train != y.train ? x.train < y.train : x.stop < y.stop;
            });
  boardings_.erase(std::unique(boardings_.begin(), boardings_.end(),
                               [](const NamedBoarding& x, const NamedBoarding& y) {
                                 return x.train == y.train && x.stop == y.stop;
                               }),
                   boardings_.end());
  if (!boardings_.empty()) {
    boardingTrains_.assign(trains, 0);
    for (const NamedBoarding& boarding : boardings_) {
      boardingTrains_[boarding.train.slot()] = 1;
      const StationIndex at = runs.stopsOf(runs.train(boarding.train))[boarding.stop].station();
      boardedAt[at.slot()].push_back(boarding);
    }
  }
  std::vector<std::vector<NamedBoarding>> named(count);
  for (StationIndex a(0); a.value() < stations && !boardings_.empty(); ++a) {
    for (const StationIndex b : reachFrom(a)) {
      named[a.slot()].insert(named[a.slot()].end(), boardedAt[b.slot()].begin(),
                             boardedAt[b.slot()].end());
    }
  }
  flatten(named, namedStart_, named_);
}

int32_t ChangeRules::minutes(StationIndex from, StationIndex to, TrainIndex arrived,
                             TrainIndex boarding) const {
  if (rules_ == nullptr) return from == to ? atLeast(change_) : kNoChange;
  int32_t best = kNoChange;
  int32_t bestNames = -1;
  for (const int32_t t : spanOf(transfersFrom_, transferStart_, from)) {
    const Transfer& transfer = rules_->transfers()[static_cast<std::size_t>(t)];
    if (transfer.to != to || !holdsFor(transfer.fromTrain, arrived) ||
        !holdsFor(transfer.toTrain, boarding)) {
      continue;
    }
    if (transfer.kind == TransferKind::kForbidden) return kNoChange;
    const int32_t names =
        (transfer.fromTrain != kAnyTrain ? 1 : 0) + (transfer.toTrain != kAnyTrain ? 1 : 0);
    const int32_t minutes = transfer.kind == TransferKind::kTimed ? 0 : transfer.minutes;
    if (names > bestNames || (names == bestNames && minutes < best)) {
      best = minutes;
      bestNames = names;
    }
  }
  if (bestNames >= 0) return atLeast(best);
  if (from == to) return atLeast(rules_->changeMinutes(from).value_or(change_));
  for (const int32_t g : rules_->groupsOf(from)) {
    const StationGroup& group = rules_->groups()[static_cast<std::size_t>(g)];
    if (std::find(group.members.begin(), group.members.end(), to) != group.members.end() &&
        (best == kNoChange || group.minutes < best)) {
      best = group.minutes;
    }
  }
  return atLeast(best);
}

std::span<const StationIndex> ChangeRules::itself(StationIndex s) {
  static const std::vector<StationIndex> stations = [] {
    std::vector<StationIndex> all;
    for (StationIndex t(0); t.value() < kMaxStations; ++t) all.push_back(t);
    return all;
  }();
  return std::span<const StationIndex>(stations).subspan(s.slot(), 1);
}

int32_t ChangeRules::arrivingLabel(TrainIndex t, StationIndex s) const {
  const auto found =
      std::lower_bound(arrivingLabels_.begin(), arrivingLabels_.end(), ArrivingLabel{t, s},
                       [](const ArrivingLabel& x, const ArrivingLabel& y) {
                         return x.train != y.train ? x.train < y.train : x.station < y.station;
                       });
  if (found == arrivingLabels_.end() || found->train != t || found->station != s) return -1;
  return static_cast<int32_t>(found - arrivingLabels_.begin());
}

bool ChangeRules::namesBoardingAt(TrainIndex t, StopPosition k) const {
  return std::binary_search(boardings_.begin(), boardings_.end(), NamedBoarding{t, k},
                            [](const NamedBoarding& x, const NamedBoarding& y) {
                              return x.train != y.train ? x.train < y.train : x.stop < y.stop;
                            });
}

}  // namespace murlo
