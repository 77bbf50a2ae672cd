// A network's rules as the queries read them: the extension of a file
// (network_extension.h) indexed for lookups by train and station.
#ifndef MURLO_DB_NETWORK_RULES_H_
#define MURLO_DB_NETWORK_RULES_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "db/indexes.h"
#include "db/network_extension.h"

namespace murlo {

class NetworkRules {
 public:
  // REQUIRES: `extension` is valid for the sections' counts
  // (extensionProblem says nothing); trainCount and stationCount are the
  // network view's (block 9's included), whose trains and stations the
  // rules keep none of: extension().more is empty. May throw std::bad_alloc.
  NetworkRules(NetworkExtension extension, int32_t trainCount, int32_t stationCount);

  // Whether a traveller may board and leave train `t` at its stop `k` (of
  // the whole stop list); every call of a train the extension does not list
  // is open.
  CallRule callRule(TrainIndex t, StopPosition k) const {
    if (t.value() < 0 || t.slot() + 1 >= ruleStart_.size()) return {};
    const uint32_t at = ruleStart_[t.slot()] + static_cast<uint32_t>(k.value());
    if (k.value() < 0 || at >= ruleStart_[t.slot() + 1]) return {};
    return rules_[at];
  }

  const std::vector<StationGroup>& groups() const { return extension_.groups; }
  const std::vector<Transfer>& transfers() const { return extension_.transfers; }
  const std::vector<TrainCalls>& trainCalls() const { return extension_.trains; }
  const NetworkExtension& extension() const { return extension_; }

  // The groups station `s` belongs to (indexes into groups()).
  std::span<const int32_t> groupsOf(StationIndex s) const {
    if (s.value() < 0 || s.slot() + 1 >= groupStart_.size()) return {};
    return std::span<const int32_t>(groupMembership_)
        .subspan(groupStart_[s.slot()], groupStart_[s.slot() + 1] - groupStart_[s.slot()]);
  }

  // The station's own change time, where it has one.
  std::optional<int32_t> changeMinutes(StationIndex s) const;

 private:
  NetworkExtension extension_;
  std::vector<uint32_t> ruleStart_;  // per train and one more; empty: none
  std::vector<CallRule> rules_;
  std::vector<uint32_t> groupStart_;  // per station and one more
  std::vector<int32_t> groupMembership_;
};

}  // namespace murlo

#endif  // MURLO_DB_NETWORK_RULES_H_
