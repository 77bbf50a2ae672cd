#include "query/change_rules.h"

#include <algorithm>
#include <vector>

#include "db/file_format.h"

namespace murlo {
namespace {}  // namespace

int32_t ChangeRules::minutes(StationIndex from, StationIndex to, TrainIndex arrived,
                             TrainIndex boarding) const {
  if (network_ == nullptr) return from == to ? plain_ : kNoChange;
  const NetworkRules& rules = network_->rules();
  int32_t best = kNoChange;
  int32_t bestNames = -1;
  // The transfers that hold for these trains: those naming neither, either
  // or both (each set once where a train is kAnyTrain itself). A forbidden
  // one forbids; else the one naming the most trains, the least minutes
  // among equals.
  const TrainIndex arrivedKeys[] = {kAnyTrain, arrived};
  const TrainIndex boardingKeys[] = {kAnyTrain, boarding};
  for (int a = 0; a < (arrived == kAnyTrain ? 1 : 2); ++a) {
    for (int b = 0; b < (boarding == kAnyTrain ? 1 : 2); ++b) {
      for (const int32_t t :
           network_->transfersBetween(from, to, arrivedKeys[a], boardingKeys[b])) {
        const Transfer& transfer = rules.transfers()[static_cast<std::size_t>(t)];
        if (transfer.kind == TransferKind::kForbidden) return kNoChange;
        const int32_t names = a + b;
        const int32_t minutes = transfer.kind == TransferKind::kTimed ? 0 : transfer.minutes;
        if (names > bestNames || (names == bestNames && minutes < best)) {
          best = minutes;
          bestNames = names;
        }
      }
    }
  }
  if (bestNames >= 0) return atLeast(best);
  if (from == to) return atLeast(rules.changeMinutes(from).value_or(change_));
  for (const int32_t g : rules.groupsOf(from)) {
    const StationGroup& group = rules.groups()[static_cast<std::size_t>(g)];
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
    for (StationIndex t(0); t.value() < kMaxNetworkStations; ++t) all.push_back(t);
    return all;
  }();
  return std::span<const StationIndex>(stations).subspan(s.slot(), 1);
}

}  // namespace murlo
