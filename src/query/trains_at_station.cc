#include "query/trains_at_station.h"

#include <optional>

namespace murlo {
namespace {

// Calls `expect(n)` with the number of calls at the station named `name`,
// then `visit(ride, call)` with the whole run of the train of each call, in
// call-list order; false when no station has the name. A record that names
// no train or stop of the tables is corrupt: skipped; so is a call the
// network's rules open neither for boarding nor for alighting (the train
// passes without serving the station).
template <typename Expect, typename Visit>
bool visitCalls(const LoadedDatabase& db, std::string_view name, Expect&& expect, Visit&& visit) {
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) return false;
  const CallList calls = db.tables().callsAt(*station);
  expect(static_cast<std::size_t>(calls.size()));
  for (int32_t j = 0; j < calls.size(); ++j) {
    const CallRecord call = calls[j];
    const std::optional<TrainView> train = db.tables().trainCalled(call);
    if (!train || train->stops.size() < 2) continue;
    const CallRule rule = db.tables().callRule(call.trainIndex(), call.stopPosition());
    if (!rule.board && !rule.alight) continue;
    visit(Ride{call.trainIndex(), StopPosition(0), train->stops.last()}, call.stopPosition());
  }
  return true;
}

}  // namespace

RideList trainsAtStationRides(const LoadedDatabase& db, std::string_view name) {
  RideList answer;
  const bool found = visitCalls(
      db, name,
      [&](std::size_t calls) {
        answer.rides.reserve(calls);
        answer.calls.reserve(calls);
      },
      [&](const Ride& ride, StopPosition call) {
        answer.rides.push_back(ride);
        answer.calls.push_back(call);
      });
  if (!found) answer.status = QueryStatus::kUnknownStation;
  return answer;
}

Utf16Answer trainsAtStation(const LoadedDatabase& db, std::string_view name) {
  // Written as the rides are found: the kept line of each whole run.
  Utf16Answer result{.terminator = u'*'};
  std::string scratch;
  const bool found = visitCalls(
      db, name, [&](std::size_t calls) { result.pieces.reserve(calls); },
      [&](const Ride& ride, StopPosition) {
        if (appendWholeRun(result, db, ride.train, scratch)) ++result.count;
      });
  if (!found) return Utf16Answer{.status = QueryStatus::kUnknownStation, .terminator = u'*'};
  return result;
}

}  // namespace murlo
