#include "query/trains_at_station.h"

#include <optional>

#include "db/lookup_indexes.h"
#include "db/records.h"
#include "db/train_view.h"
#include "query/train_lines.h"

namespace murlo {

QueryResult trainsAtStation(const TimetableDb& db, std::string_view name) {
  const int32_t station = findStation(db, name);
  if (station < 0) return QueryResult{kStationNotFound, {}};
  QueryResult result;
  const CallList calls(db.stationCallLists.at_or_empty(static_cast<std::size_t>(station)));
  for (int32_t j = 0; j < calls.size(); ++j) {
    // A record whose stop position is no stop of its train is corrupt: skipped.
    const CallRecord call = calls[j];
    const std::optional<TrainView> train = trainAt(db, call.trainIndex());
    if (!train || call.stopPosition() < 0 || call.stopPosition() >= train->stops.size()) continue;
    if (appendTrainLine(result.text, db, call.trainIndex(), 0, 0, 0)) ++result.code;
  }
  return result;
}

}  // namespace murlo
