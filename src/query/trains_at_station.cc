#include "query/trains_at_station.h"

#include "db/lookup_indexes.h"
#include "db/records.h"
#include "query/train_lines.h"

namespace murlo {

QueryResult trainsAtStation(const TimetableDb& db, std::string_view name) {
  const int32_t station = findStation(db, name);
  if (station < 0) return QueryResult{kStationNotFound, {}};
  QueryResult result;
  const CallList calls(db.stationCallLists.at_or_empty(static_cast<std::size_t>(station)));
  for (int32_t j = 0; j < calls.size(); ++j) {
    if (appendTrainLine(result.text, db, calls[j].trainIndex(), 0, 0, 0)) ++result.code;
  }
  return result;
}

}  // namespace murlo
