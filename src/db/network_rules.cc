#include "db/network_rules.h"

#include <algorithm>
#include <utility>

namespace murlo {

NetworkRules::NetworkRules(NetworkExtension extension, int32_t trainCount, int32_t stationCount)
    : extension_(std::move(extension)) {
  if (!extension_.trains.empty() || !extension_.more.trains.empty()) {
    ruleStart_.assign(static_cast<std::size_t>(trainCount) + 1, 0);
    // Trains ascend, so each train's rules follow those before it; a train
    // the extension does not list gets an empty stretch. The trains of
    // block 9 come after the sections' own, each with its rules. The table
    // is sized first and each train's rules copied in whole.
    std::size_t total = 0;
    for (const TrainCalls& calls : extension_.trains) total += calls.rules.size();
    for (const MoreTrain& more : extension_.more.trains) total += more.rules.size();
    rules_.resize(total);
    const int32_t sectionsTrains = trainCount - static_cast<int32_t>(extension_.more.trains.size());
    auto next = extension_.trains.begin();
    std::size_t at = 0;
    const auto append = [&](const std::vector<CallRule>& rules) {
      at = static_cast<std::size_t>(
          std::copy(rules.begin(), rules.end(), rules_.begin() + static_cast<std::ptrdiff_t>(at)) -
          rules_.begin());
    };
    for (TrainIndex t(0); t.value() < trainCount; ++t) {
      ruleStart_[t.slot()] = static_cast<uint32_t>(at);
      if (t.value() >= sectionsTrains) {
        append(extension_.more.trains[static_cast<std::size_t>(t.value() - sectionsTrains)].rules);
      } else if (next != extension_.trains.end() && next->train == t) {
        append(next->rules);
        ++next;
      }
    }
    rules_.resize(at);  // (all of it, as the extension is valid)
    ruleStart_.back() = static_cast<uint32_t>(at);
  }
  // The tables hold the trains and stations of block 9; the rules keep
  // only what they index of them.
  extension_.more = MoreTrains{};
  std::vector<std::vector<int32_t>> memberOf(static_cast<std::size_t>(stationCount));
  for (std::size_t g = 0; g < extension_.groups.size(); ++g) {
    for (const StationIndex member : extension_.groups[g].members)
      memberOf[member.slot()].push_back(static_cast<int32_t>(g));
  }
  groupStart_.reserve(memberOf.size() + 1);
  for (const std::vector<int32_t>& groups : memberOf) {
    groupStart_.push_back(static_cast<uint32_t>(groupMembership_.size()));
    groupMembership_.insert(groupMembership_.end(), groups.begin(), groups.end());
  }
  groupStart_.push_back(static_cast<uint32_t>(groupMembership_.size()));
}

std::optional<int32_t> NetworkRules::changeMinutes(StationIndex s) const {
  const auto& times = extension_.changeTimes;
  const auto found = std::lower_bound(
      times.begin(), times.end(), s,
      [](const ChangeTime& time, StationIndex station) { return time.station < station; });
  if (found == times.end() || found->station != s) return std::nullopt;
  return found->minutes;
}

}  // namespace murlo
