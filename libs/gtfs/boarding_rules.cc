#include "gtfs/boarding_rules.h"

#include "db/network_extension.h"

namespace murlo::gtfs {

std::optional<Boarding> parseBoarding(std::string_view field) {
  if (field.empty() || field == "0") return Boarding::kRegular;
  if (field == "1") return Boarding::kNone;
  if (field == "2") return Boarding::kByPhone;
  if (field == "3") return Boarding::kWithDriver;
  return std::nullopt;
}

std::vector<bool> keptCalls(const std::vector<CallRule>& calls) {
  // The database's own rule for what its sections keep.
  std::vector<murlo::CallRule> rules;
  rules.reserve(calls.size());
  for (const CallRule& call : calls) rules.push_back({call.board, call.alight});
  return legacyCalls(rules);
}

RideTally& RideTally::operator+=(const RideTally& other) {
  allowed += other.allowed;
  offered += other.offered;
  forbidden += other.forbidden;
  return *this;
}

RideTally tallyRides(const std::vector<CallRule>& calls, const std::vector<bool>& kept) {
  RideTally tally;
  const std::size_t n = calls.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (calls[i].station == calls[j].station) continue;
      const bool allowed = calls[i].board && calls[j].alight;
      const bool offered = i < kept.size() && j < kept.size() && kept[i] && kept[j];
      tally.allowed += allowed;
      tally.offered += allowed && offered;
      tally.forbidden += offered && !allowed;
    }
  }
  return tally;
}

}  // namespace murlo::gtfs
