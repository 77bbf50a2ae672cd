#include "query/trains_at_station.h"

#include <optional>

namespace murlo {

RideList trainsAtStationRides(const LoadedDatabase& db, std::string_view name) {
  RideList answer;
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) {
    answer.status = QueryStatus::kUnknownStation;
    return answer;
  }
  const CallList calls = db.tables().callsAt(*station);
  answer.rides.reserve(static_cast<std::size_t>(calls.size()));
  answer.calls.reserve(static_cast<std::size_t>(calls.size()));
  for (int32_t j = 0; j < calls.size(); ++j) {
    // A record that names no train or stop of the tables is corrupt: skipped.
    const CallRecord call = calls[j];
    if (!db.tables().trainCalled(call)) continue;
    if (const std::optional<Ride> run = wholeRun(db.tables(), call.trainIndex())) {
      answer.rides.push_back(*run);
      answer.calls.push_back(call.stopPosition());
    }
  }
  return answer;
}

Utf16Answer trainsAtStation(const LoadedDatabase& db, std::string_view name) {
  const RideList answer = trainsAtStationRides(db, name);
  if (answer.status != QueryStatus::kOk) return Utf16Answer{kStationNotFound, {}, u'*'};
  return ridesAsLines(db, answer.rides);
}

}  // namespace murlo
