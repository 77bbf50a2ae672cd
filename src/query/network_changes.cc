#include "query/network_changes.h"

#include <algorithm>
#include <tuple>
#include <utility>

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

void lower(int32_t& least, int32_t minutes) {
  if (minutes != kNoChange && (least == kNoChange || minutes < least)) least = minutes;
}

}  // namespace

NetworkChanges::NetworkChanges(const NetworkRules& rules, int32_t stations, const TrainRuns& runs)
    : rules_(&rules) {
  const auto count = static_cast<std::size_t>(stations);
  const auto within = [stations](StationIndex s) { return s.value() >= 0 && s.value() < stations; };
  const std::vector<Transfer>& transfers = rules.transfers();
  std::vector<std::vector<int32_t>> fromStation(count);
  for (std::size_t t = 0; t < transfers.size(); ++t) {
    if (within(transfers[t].from) && within(transfers[t].to)) {
      fromStation[transfers[t].from.slot()].push_back(static_cast<int32_t>(t));
    }
  }
  const auto keyOf = [&transfers](int32_t t) {
    const Transfer& x = transfers[static_cast<std::size_t>(t)];
    return std::tuple(x.to.value(), x.fromTrain.value(), x.toTrain.value());
  };
  for (std::vector<int32_t>& list : fromStation) {
    std::sort(list.begin(), list.end(), [&keyOf](int32_t a, int32_t b) {
      return std::pair(keyOf(a), a) < std::pair(keyOf(b), b);
    });
  }
  flatten(fromStation, transferStart_, transfersFrom_);
  transferKeys_.reserve(transfersFrom_.size());
  for (const int32_t t : transfersFrom_) {
    const auto [to, fromTrain, toTrain] = keyOf(t);
    transferKeys_.push_back({to, fromTrain, toTrain});
  }

  // Where a change from each station may board: itself, the members of its
  // groups and every transfer's other end.
  std::vector<std::vector<StationIndex>> reach(count);
  for (StationIndex a(0); a.value() < stations; ++a) {
    std::vector<StationIndex>& to = reach[a.slot()];
    to.push_back(a);
    for (const int32_t g : rules.groupsOf(a)) {
      for (const StationIndex member : rules.groups()[static_cast<std::size_t>(g)].members) {
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
  atStation_.assign(count, kQuestionMinutes);
  leastBesides_.assign(count, kNoChange);
  for (StationIndex a(0); a.value() < stations; ++a) {
    // The change at the station itself: a transfer to itself that names no
    // train, else the station's own change time, else the question's.
    int32_t& here = atStation_[a.slot()];
    if (const std::optional<int32_t> own = rules.changeMinutes(a)) here = *own;
    bool transferred = false;
    for (const int32_t t : fromStation[a.slot()]) {
      const Transfer& transfer = transfers[static_cast<std::size_t>(t)];
      if (transfer.to != a || transfer.fromTrain != kAnyTrain || transfer.toTrain != kAnyTrain) {
        continue;
      }
      if (transfer.kind == TransferKind::kForbidden) {
        here = kNoChange;
        break;
      }
      const int32_t minutes = transfer.kind == TransferKind::kTimed ? 0 : transfer.minutes;
      if (!transferred || minutes < here) here = minutes;
      transferred = true;
    }
    int32_t& least = leastBesides_[a.slot()];
    for (const StationIndex b : reach[a.slot()]) {
      sources[b.slot()].push_back(a);
      if (b == a) continue;
      const int32_t walk = walkMinutes(a, b);
      if (walk != kNoChange) walks[a.slot()].push_back(Walk{b, walk});
      lower(least, walk);
    }
    for (const int32_t t : fromStation[a.slot()]) {
      const Transfer& transfer = transfers[static_cast<std::size_t>(t)];
      if (transfer.kind == TransferKind::kForbidden) continue;
      lower(least, transfer.kind == TransferKind::kTimed ? 0 : transfer.minutes);
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
  const auto labelOrder = [](const ArrivingLabel& x, const ArrivingLabel& y) {
    return x.train != y.train ? x.train < y.train : x.station < y.station;
  };
  std::sort(arrivingLabels_.begin(), arrivingLabels_.end(), labelOrder);
  arrivingLabels_.erase(std::unique(arrivingLabels_.begin(), arrivingLabels_.end(),
                                    [](const ArrivingLabel& x, const ArrivingLabel& y) {
                                      return x.train == y.train && x.station == y.station;
                                    }),
                        arrivingLabels_.end());
  if (!arrivingLabels_.empty()) {
    arrivingTrains_.assign(trains, 0);
    for (const ArrivingLabel& label : arrivingLabels_) arrivingTrains_[label.train.slot()] = 1;
  }
  leftUnlabelled_.assign(count, 0);
  for (StationIndex s(0); s.value() < stations; ++s) {
    const std::span<const StationIndex> from = reachTo(s);
    leftUnlabelled_[s.slot()] =
        std::any_of(from.begin(), from.end(), [s](StationIndex a) { return a != s; }) ? 1 : 0;
  }
  for (const ArrivingLabel& label : arrivingLabels_) leftUnlabelled_[label.station.slot()] = 1;
  std::sort(boardings_.begin(), boardings_.end(),
            [](const NamedBoarding& x, const NamedBoarding& y) {
              return x.train != y.train ? x.train < y.train : x.stop < y.stop;
            });
  boardings_.erase(std::unique(boardings_.begin(), boardings_.end(),
                               [](const NamedBoarding& x, const NamedBoarding& y) {
                                 return x.train == y.train && x.stop == y.stop;
                               }),
                   boardings_.end());
  if (boardings_.empty()) return;
  boardingTrains_.assign(trains, 0);
  std::vector<std::vector<NamedBoarding>> boardedAt(count);
  for (const NamedBoarding& boarding : boardings_) {
    boardingTrains_[boarding.train.slot()] = 1;
    const StationIndex at = runs.stopsOf(runs.train(boarding.train))[boarding.stop].station();
    boardedAt[at.slot()].push_back(boarding);
  }
  std::vector<std::vector<NamedBoarding>> named(count);
  for (StationIndex a(0); a.value() < stations; ++a) {
    for (const StationIndex b : reachFrom(a)) {
      named[a.slot()].insert(named[a.slot()].end(), boardedAt[b.slot()].begin(),
                             boardedAt[b.slot()].end());
    }
  }
  flatten(named, namedStart_, named_);
}

std::span<const int32_t> NetworkChanges::transfersBetween(StationIndex from, StationIndex to,
                                                          TrainIndex fromTrain,
                                                          TrainIndex toTrain) const {
  if (transferStart_.empty()) return {};
  const uint32_t first = transferStart_[from.slot()];
  const uint32_t last = transferStart_[from.slot() + 1];
  const auto keys = std::span<const TransferKey>(transferKeys_).subspan(first, last - first);
  const auto [begin, end] = std::equal_range(
      keys.begin(), keys.end(), TransferKey{to.value(), fromTrain.value(), toTrain.value()});
  return std::span<const int32_t>(transfersFrom_)
      .subspan(first + static_cast<std::size_t>(begin - keys.begin()),
               static_cast<std::size_t>(end - begin));
}

int32_t NetworkChanges::walkMinutes(StationIndex from, StationIndex to) const {
  int32_t best = kNoChange;
  bool transferred = false;
  for (const int32_t t : transfersBetween(from, to, kAnyTrain, kAnyTrain)) {
    const Transfer& transfer = rules_->transfers()[static_cast<std::size_t>(t)];
    if (transfer.kind == TransferKind::kForbidden) return kNoChange;
    const int32_t minutes = transfer.kind == TransferKind::kTimed ? 0 : transfer.minutes;
    if (!transferred || minutes < best) best = minutes;
    transferred = true;
  }
  if (transferred) return best;
  for (const int32_t g : rules_->groupsOf(from)) {
    const StationGroup& group = rules_->groups()[static_cast<std::size_t>(g)];
    if (std::find(group.members.begin(), group.members.end(), to) != group.members.end() &&
        (best == kNoChange || group.minutes < best)) {
      best = group.minutes;
    }
  }
  return best;
}

int32_t NetworkChanges::arrivingLabel(TrainIndex t, StationIndex s) const {
  const auto found =
      std::lower_bound(arrivingLabels_.begin(), arrivingLabels_.end(), ArrivingLabel{t, s},
                       [](const ArrivingLabel& x, const ArrivingLabel& y) {
                         return x.train != y.train ? x.train < y.train : x.station < y.station;
                       });
  if (found == arrivingLabels_.end() || found->train != t || found->station != s) return -1;
  return static_cast<int32_t>(found - arrivingLabels_.begin());
}

bool NetworkChanges::namesBoardingAt(TrainIndex t, StopPosition k) const {
  return std::binary_search(boardings_.begin(), boardings_.end(), NamedBoarding{t, k},
                            [](const NamedBoarding& x, const NamedBoarding& y) {
                              return x.train != y.train ? x.train < y.train : x.stop < y.stop;
                            });
}

}  // namespace murlo
