#include "query/trains_at_station.h"

#include <optional>

#include "query/train_lines.h"

namespace murlo {

QueryResult trainsAtStation(const LoadedDatabase& db, std::string_view name) {
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) return QueryResult{kStationNotFound, {}};
  QueryResult result;
  const CallList calls = db.tables().callsAt(*station);
  for (int32_t j = 0; j < calls.size(); ++j) {
    // A record whose stop position is no stop of its train is corrupt: skipped.
    const CallRecord call = calls[j];
    const std::optional<TrainView> train = db.tables().train(call.trainIndex());
    if (!train || !train->stops.holds(call.stopPosition())) continue;
    if (appendTrainLine(result.text, db, call.trainIndex(), StopPosition(0), StopPosition(0), 0)) {
      ++result.code;
    }
  }
  return result;
}

}  // namespace murlo
