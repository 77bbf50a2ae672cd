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
    // A record that names no train or stop of the tables is corrupt: skipped.
    const CallRecord call = calls[j];
    if (!db.tables().trainCalled(call)) continue;
    if (appendTrainLine(result.text, db, call.trainIndex(), StopPosition(0), StopPosition(0), 0)) {
      ++result.code;
    }
  }
  return result;
}

}  // namespace murlo
